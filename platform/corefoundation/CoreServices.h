#pragma once

// The few CoreServices calls outside Core Foundation that the system makes.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int16_t OSErr;
typedef uint32_t OSType;

enum {
    gestaltSystemVersion = 0x73797376, // 'sysv'
    gestaltUndefSelectorErr = -5551,
};

#pragma GCC visibility push(default)

// Ticks of 1/60 s since the platform clock started: since the platform
// library was loaded, or since the virtual clock's start.
uint32_t TickCount(void);

// Only the system-version selector is answered, with a fixed 0x1049
// (10.4.9): there is no such system here, and the one caller (the toolkit's
// cursor choice) only needs a 10.x version. Any other selector gives
// gestaltUndefSelectorErr; a NULL response, paramErr (-50).
OSErr Gestalt(OSType selector, int32_t* response);

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif
