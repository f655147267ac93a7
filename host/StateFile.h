#pragma once

// A unit's saved state (its class-info dictionary) as a property-list file.

#include <cstddef>
#include <string>

#include "host/AtomicFile.h"
#include "platform/corefoundation/CFRef.h"

// A unit's state is a few kilobytes; larger files are refused unread.
constexpr size_t kMaxStateFileBytes = size_t{16} << 20;

// Reads an XML or binary property list; HostError if the file cannot be
// read, is not a regular file, is larger than kMaxStateFileBytes or holds
// no property list.
platform::CFRef<CFPropertyListRef> readPropertyListFile(const std::string& path);

// Writes an XML property list into the file, which the caller commits.
void writePropertyList(AtomicFile& file, CFPropertyListRef list);
