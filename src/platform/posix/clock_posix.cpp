// The monotonic clock of POSIX.
#include "platform/plat_clock.h"

#include <time.h>

int64_t PLAT_microsecs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (int64_t)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

void PLAT_sleep_ms(int ms) {
  if (ms <= 0) return;
  struct timespec ts{ms / 1000, (long)(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {}
}
