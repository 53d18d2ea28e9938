// TCP sockets of the operating system, behind one small interface: IPv4 stream
// sockets in non-blocking mode, a zero-wait readiness poll, and the name lookup.
// Every error comes back as the program's socket code (the values below, which the
// log shows), whatever the system's own number for the same condition is; an
// error without a counterpart keeps the system's number (errno on POSIX).
#pragma once
#include <cstdint>

// Socket error codes the program logs and tests by meaning.
enum {
  PLAT_NET_WOULDBLOCK = 10035,  // nothing can be done now; try again later (also "in progress")
  PLAT_NET_CONNABORTED = 10053, // the connection was aborted on this side
  PLAT_NET_CONNRESET = 10054,   // the peer reset the connection, or it is gone for writing
  PLAT_NET_NOTCONN = 10057,     // the socket is not connected
  PLAT_NET_SHUTDOWN = 10058,    // that direction was shut down
  PLAT_NET_TIMEDOUT = 10060,    // the connection timed out
};

// The handle of an open socket; PLAT_NET_NO_SOCKET for none.
typedef unsigned int plat_socket;
const plat_socket PLAT_NET_NO_SOCKET = ~0u;

// Prepares the socket library. Returns 1 when sockets can be used.
int PLAT_net_startup();

// The program's socket code for a system error number (the table of this file's
// header comment; an unknown number is returned unchanged, 0 stays 0).
int PLAT_net_code(int system_error);

// Creates a TCP/IPv4 stream socket. Returns PLAT_NET_NO_SOCKET on failure with the
// code in *err. Writing to the socket after the peer has gone never raises a signal.
plat_socket PLAT_tcp_socket(int* err);
// Switches off the Nagle delay. Returns 0 or a code.
int PLAT_socket_nodelay(plat_socket s);
// Binds to every local address and `port` (host byte order; 0 picks a free one).
int PLAT_socket_bind_any(plat_socket s, unsigned short port);
// Makes every later call on the socket return at once. Returns 0 or a code.
int PLAT_socket_nonblocking(plat_socket s);
// Starts a connection to `address` (IPv4, network byte order) and `port` (host
// byte order). Returns 0 when connected at once, PLAT_NET_WOULDBLOCK when the
// attempt goes on in the background, another code when it failed.
int PLAT_socket_connect(plat_socket s, unsigned long address, unsigned short port);
// Zero-wait look at a connecting socket: *writable is 1 when it can send, *failed
// is 1 when the system reports an error or hang-up on it (a refused or failed
// connection). Both 0: nothing happened yet. Returns 0, or a code when the look
// itself failed.
int PLAT_socket_poll_connect(plat_socket s, int* writable, int* failed);
// Sends at most `size` bytes. Returns the count the system took (> 0, possibly
// fewer than `size`), or -1 with the code in *err (PLAT_NET_WOULDBLOCK when the
// send buffer is full).
long PLAT_socket_send(plat_socket s, const void* data, long size, int* err);
// Receives at most `size` bytes. Returns the count (> 0); 0 when the peer closed
// its side; -1 with the code in *err (PLAT_NET_WOULDBLOCK when nothing waits).
long PLAT_socket_recv(plat_socket s, void* buffer, long size, int* err);
// Shuts down the sending direction. Returns 0 or a code.
int PLAT_socket_shutdown_send(plat_socket s);
// Closes the socket.
void PLAT_socket_close(plat_socket s);

// The IPv4 address (network byte order) of `host`: a dotted quad is converted
// without any query; a name is resolved and its first IPv4 address returned.
// 0 when the name cannot be resolved. Blocks until the resolver answers.
unsigned long PLAT_lookup_ipv4(const char* host);
