#pragma once

// Absolute time: seconds since 2001-01-01 00:00:00 UTC, read from the
// platform clock (platform/corefoundation/PlatformClock.h), which tests may
// replace by a virtual clock. Included by CoreFoundation.h.

#ifdef __cplusplus
extern "C" {
#endif

typedef double CFTimeInterval;
typedef CFTimeInterval CFAbsoluteTime;

#pragma GCC visibility push(default)

// The real clock is the wall-clock time when the platform library was loaded
// plus the monotonic time since then: it never jumps when the system time is
// set.
CFAbsoluteTime CFAbsoluteTimeGetCurrent(void);

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif
