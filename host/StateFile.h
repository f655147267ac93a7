#pragma once

// A unit's saved state (its class-info dictionary) as a property-list file.

#include <string>

#include "platform/corefoundation/CFRef.h"

// Reads an XML or binary property list; HostError if the file cannot be
// read or holds no property list.
platform::CFRef<CFPropertyListRef> readPropertyListFile(const std::string& path);

// Writes an XML property list atomically.
void writePropertyListFile(const std::string& path, CFPropertyListRef list);
