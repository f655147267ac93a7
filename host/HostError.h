#pragma once

// Failures the host reports to its user: what went wrong and what to do
// about it. main() prints both and exits non-zero.

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/components/Components.h"

class HostError : public std::runtime_error {
  public:
    explicit HostError(const std::string& message, std::string hint = {})
        : std::runtime_error(message), hint(std::move(hint))
    {
    }
    std::string hint;
};

// A command line that cannot be understood (exit status 2).
class UsageError : public HostError {
  public:
    using HostError::HostError;
};

// Throws a HostError naming the status if it is not noErr.
void checkStatus(OSStatus status, std::string_view what, std::string_view hint);
