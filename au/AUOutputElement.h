#pragma once

#include "au/AUIOElement.h"

// An output element: always renders into memory of its own (or the caller's).
class AUOutputElement : public AUIOElement {
  public:
    explicit AUOutputElement(AUBase* audioUnit);

    OSStatus SetStreamFormat(const CAStreamBasicDescription& format) override;
    bool NeedsBufferSpace() const override { return true; }
};
