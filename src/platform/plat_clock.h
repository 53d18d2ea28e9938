// The high-resolution clock and sleeping.
#pragma once
#include <cstdint>

// Microseconds of a monotonic clock; only differences are meaningful.
int64_t PLAT_microsecs();
// Blocks the calling thread for about `ms` milliseconds.
void PLAT_sleep_ms(int ms);
