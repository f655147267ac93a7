#pragma once

#include <memory>

#include "au/AUElement.h"

// The factory through which scopes create their elements.
class AUElementCreator {
  public:
    virtual std::unique_ptr<AUElement> CreateElement(AudioUnitScope scope, AudioUnitElement element) = 0;
    virtual ~AUElementCreator() = default;
};
