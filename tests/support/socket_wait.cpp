// Waiting for a socket with poll.
#include "support/socket_wait.h"

#include <poll.h>

bool wait_fd_readable(unsigned int fd, int ms) {
  struct pollfd p = {(int)fd, POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}
