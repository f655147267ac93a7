#pragma once

// The few CoreServices calls outside Core Foundation that the system makes.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma GCC visibility push(default)

// Ticks of 1/60 s since the platform clock started: since the platform
// library was loaded, or since the virtual clock's start.
uint32_t TickCount(void);

#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif
