#pragma once

// A momentary button: on while pressed over the control, back to 0 (and
// the listener told again) once let go.

#include "toolkit/CMovieButton.h"

class CKickButton : public CMovieButton {
  public:
    using CMovieButton::CMovieButton;

    bool isTypeOf(const char* name) const override;

  protected:
    // Only the primary button, without modifiers, keeps it pressed.
    bool held(long buttons, long) const override;
    void released(CDrawContext* context) override;
};
