// Waiting for a socket with Winsock's select.
#include "support/socket_wait.h"

#include <winsock2.h>

bool wait_fd_readable(unsigned int fd, int ms) {
  fd_set r, e;
  FD_ZERO(&r);
  FD_ZERO(&e);
  FD_SET((SOCKET)fd, &r);
  FD_SET((SOCKET)fd, &e);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  return select(0, &r, nullptr, &e, &tv) > 0;
}
