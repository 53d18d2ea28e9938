// TCP sockets over BSD sockets. errno values are turned into the program's socket
// codes here, and no send may raise SIGPIPE: a peer that closes early only makes
// the send fail.
#include "platform/plat_net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

int PLAT_net_startup() { return 1; }

int PLAT_net_code(int e) {
  if (e == EWOULDBLOCK || e == EAGAIN || e == EINPROGRESS) return PLAT_NET_WOULDBLOCK;
  if (e == ECONNABORTED) return PLAT_NET_CONNABORTED;
  if (e == ECONNRESET || e == EPIPE) return PLAT_NET_CONNRESET;
  if (e == ENOTCONN) return PLAT_NET_NOTCONN;
  if (e == ESHUTDOWN) return PLAT_NET_SHUTDOWN;
  if (e == ETIMEDOUT) return PLAT_NET_TIMEDOUT;
  return e;
}

static int last_code() { return PLAT_net_code(errno); }

plat_socket PLAT_tcp_socket(int* err) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    *err = last_code();
    return PLAT_NET_NO_SOCKET;
  }
#ifdef SO_NOSIGPIPE
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  *err = 0;
  return (plat_socket)fd;
}

int PLAT_socket_nodelay(plat_socket s) {
  int one = 1;
  return setsockopt((int)s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) == 0 ? 0 : last_code();
}

int PLAT_socket_bind_any(plat_socket s, unsigned short port) {
#ifdef IP_BIND_ADDRESS_NO_PORT
  // With port 0 the local port is chosen at connect time, where the system can
  // share it between different destinations instead of spending one per socket.
  if (port == 0) {
    int one = 1;
    setsockopt((int)s, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
  }
#endif
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(port);
  return bind((int)s, (struct sockaddr*)&a, sizeof a) == 0 ? 0 : last_code();
}

int PLAT_socket_nonblocking(plat_socket s) {
  int flags = fcntl((int)s, F_GETFL, 0);
  if (flags < 0 || fcntl((int)s, F_SETFL, flags | O_NONBLOCK) < 0) return last_code();
  return 0;
}

int PLAT_socket_connect(plat_socket s, unsigned long address, unsigned short port) {
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = (in_addr_t)address;
  a.sin_port = htons(port);
  if (connect((int)s, (struct sockaddr*)&a, sizeof a) == 0) return 0;
  // An interrupted connect goes on in the background, like one in progress.
  return errno == EINTR ? PLAT_NET_WOULDBLOCK : last_code();
}

int PLAT_socket_poll_connect(plat_socket s, int* writable, int* failed) {
  struct pollfd p;
  p.fd = (int)s;
  p.events = POLLOUT;
  p.revents = 0;
  *writable = *failed = 0;
  int n = poll(&p, 1, 0);
  if (n < 0) return errno == EINTR ? 0 : last_code();
  if (n == 0) return 0;
  if (p.revents & POLLNVAL) return PLAT_net_code(EBADF);
  *writable = (p.revents & POLLOUT) != 0;
  *failed = (p.revents & (POLLERR | POLLHUP)) != 0;
  return 0;
}

long PLAT_socket_send(plat_socket s, const void* data, long size, int* err) {
#ifdef MSG_NOSIGNAL
  const int flags = MSG_NOSIGNAL;
#else
  const int flags = 0;  // SO_NOSIGPIPE on the socket does the same
#endif
  ssize_t n;
  do {
    n = send((int)s, data, (size_t)size, flags);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    *err = last_code();
    return -1;
  }
  *err = 0;
  return (long)n;
}

long PLAT_socket_recv(plat_socket s, void* buffer, long size, int* err) {
  ssize_t n;
  do {
    n = recv((int)s, buffer, (size_t)size, 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    *err = last_code();
    return -1;
  }
  *err = 0;
  return (long)n;
}

int PLAT_socket_shutdown_send(plat_socket s) {
  return shutdown((int)s, SHUT_WR) == 0 ? 0 : last_code();
}

void PLAT_socket_close(plat_socket s) {
  if (s != PLAT_NET_NO_SOCKET) close((int)s);
}

unsigned long PLAT_lookup_ipv4(const char* host) {
  if (!host || !*host) return 0;
  struct in_addr direct;
  if (inet_pton(AF_INET, host, &direct) == 1) return direct.s_addr;

  struct addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  struct addrinfo* res = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return 0;
  unsigned long address = 0;
  for (struct addrinfo* r = res; r; r = r->ai_next) {
    if (r->ai_family == AF_INET && r->ai_addr) {
      address = ((struct sockaddr_in*)r->ai_addr)->sin_addr.s_addr;
      break;
    }
  }
  freeaddrinfo(res);
  return address;
}
