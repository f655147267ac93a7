#pragma once

// A control of a view bound to one parameter through the view's base
// listener: it hears the parameter's value changes in ParameterToControl.
// The generic controls (slider, edit text, pop-up menu, check box) are not
// provided; a view derives what it needs and hands it to AddControl.

#include "au/carbonview/CAAUParameter.h"

class AUCarbonViewControl {
  public:
    explicit AUCarbonViewControl(const CAAUParameter& parameter) : mParameter(parameter) {}
    virtual ~AUCarbonViewControl() = default;
    AUCarbonViewControl(const AUCarbonViewControl&) = delete;
    AUCarbonViewControl& operator=(const AUCarbonViewControl&) = delete;

    // A new value of the parameter, from the listener or from Update.
    virtual void ParameterToControl(Float32 value) = 0;
    // Shows the parameter's current value.
    void Update() { ParameterToControl(mParameter.GetValue()); }

    const CAAUParameter& GetParameter() const { return mParameter; }

  private:
    CAAUParameter mParameter;
};
