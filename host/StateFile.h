#pragma once

// A unit's saved state (its class-info dictionary) as a property-list file.

#include <string>

#include "host/AtomicFile.h"
#include "platform/corefoundation/CFRef.h"

// Reads an XML or binary property list; HostError if the file cannot be
// read or holds no property list.
platform::CFRef<CFPropertyListRef> readPropertyListFile(const std::string& path);

// Writes an XML property list into the file, which the caller commits.
void writePropertyList(AtomicFile& file, CFPropertyListRef list);
