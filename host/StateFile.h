#pragma once

// A unit's saved state (its class-info dictionary) as a property-list file.

#include <string>

#include "host/CFPtr.h"

// Reads an XML or binary property list; HostError if the file cannot be
// read or holds no property list.
CFPtr readPropertyListFile(const std::string& path);

// Writes an XML property list atomically.
void writePropertyListFile(const std::string& path, CFPropertyListRef list);
