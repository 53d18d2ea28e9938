// TCP sockets over Winsock 2. The WSA error numbers are the program's socket
// codes already (10035 would block, 10054 reset, ...), so they pass unchanged.
#include "platform/plat_net.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstring>

int PLAT_net_startup() {
  static int started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 0), &data) == 0 ? 1 : 0;
  }();
  return started;
}

int PLAT_net_code(int system_error) { return system_error; }

static int last_code() { return WSAGetLastError(); }

plat_socket PLAT_tcp_socket(int* err) {
  PLAT_net_startup();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    *err = last_code();
    return PLAT_NET_NO_SOCKET;
  }
  // A program started later (the browser) does not inherit it.
  SetHandleInformation((HANDLE)s, HANDLE_FLAG_INHERIT, 0);
  *err = 0;
  return (plat_socket)s;
}

int PLAT_socket_nodelay(plat_socket s) {
  BOOL one = TRUE;
  return setsockopt((SOCKET)s, IPPROTO_TCP, TCP_NODELAY, (const char*)&one, sizeof one) == 0 ? 0 : last_code();
}

int PLAT_socket_bind_any(plat_socket s, unsigned short port) {
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(port);
  return bind((SOCKET)s, (sockaddr*)&a, sizeof a) == 0 ? 0 : last_code();
}

int PLAT_socket_nonblocking(plat_socket s) {
  u_long on = 1;
  return ioctlsocket((SOCKET)s, FIONBIO, &on) == 0 ? 0 : last_code();
}

int PLAT_socket_connect(plat_socket s, unsigned long address, unsigned short port) {
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = (u_long)address;
  a.sin_port = htons(port);
  if (connect((SOCKET)s, (sockaddr*)&a, sizeof a) == 0) return 0;
  return last_code();  // WSAEWOULDBLOCK while the attempt goes on
}

int PLAT_socket_poll_connect(plat_socket s, int* writable, int* failed) {
  *writable = *failed = 0;
  fd_set w, e;
  FD_ZERO(&w);
  FD_ZERO(&e);
  FD_SET((SOCKET)s, &w);
  FD_SET((SOCKET)s, &e);
  timeval zero{0, 0};
  // Winsock reports a failed connect in the exception set.
  int n = select(0, nullptr, &w, &e, &zero);
  if (n == SOCKET_ERROR) return last_code();
  if (n == 0) return 0;
  *failed = FD_ISSET((SOCKET)s, &e) ? 1 : 0;
  *writable = FD_ISSET((SOCKET)s, &w) ? 1 : 0;
  return 0;
}

long PLAT_socket_send(plat_socket s, const void* data, long size, int* err) {
  int n = send((SOCKET)s, (const char*)data, (int)size, 0);
  if (n == SOCKET_ERROR) {
    *err = last_code();
    return -1;
  }
  *err = 0;
  return n;
}

long PLAT_socket_recv(plat_socket s, void* buffer, long size, int* err) {
  int n = recv((SOCKET)s, (char*)buffer, (int)size, 0);
  if (n == SOCKET_ERROR) {
    *err = last_code();
    return -1;
  }
  *err = 0;
  return n;
}

int PLAT_socket_shutdown_send(plat_socket s) {
  return shutdown((SOCKET)s, SD_SEND) == 0 ? 0 : last_code();
}

void PLAT_socket_close(plat_socket s) {
  if (s != PLAT_NET_NO_SOCKET) closesocket((SOCKET)s);
}

unsigned long PLAT_lookup_ipv4(const char* host) {
  if (!host || !*host) return 0;
  PLAT_net_startup();
  // A strict dotted quad needs no query (inet_addr would also take "10.1").
  in_addr direct;
  if (inet_pton(AF_INET, host, &direct) == 1) return direct.s_addr;
  addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return 0;
  unsigned long address = 0;
  for (addrinfo* r = res; r; r = r->ai_next) {
    if (r->ai_family == AF_INET && r->ai_addr) {
      address = ((sockaddr_in*)r->ai_addr)->sin_addr.s_addr;
      break;
    }
  }
  freeaddrinfo(res);
  return address;
}
