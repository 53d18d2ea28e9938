// The non-blocking TCP connection over the platform's sockets.
//
// How ReadData and http_WriteData treat a failed call:
//   would block (10035)                          read 0 / write 0, no change
//   aborted, reset, not connected, timed out     pcsbstatus_Disconnected, -1
//     (10053, 10054, 10057, 10060)
//   shut down (10058)                            read: pcsbstatus_Error with the code, -1
//                                                write: pcsbstatus_Disconnected, -1
//   anything else                                pcsbstatus_Error with the code, -1
#include "net/PCSBSocket.h"

#include "platform/plat_net.h"

static void go_error(PCSBSocket& s, int code) {
  s.mSocketStatus = pcsbstatus_Error;
  s.mSocketError = code;
}

static bool is_lost_connection(int code) {
  return code == PLAT_NET_CONNABORTED || code == PLAT_NET_CONNRESET || code == PLAT_NET_NOTCONN ||
         code == PLAT_NET_TIMEDOUT;
}

bool PCSBSocket::StartupNetworking(bool) { return PLAT_net_startup() != 0; }

PCSBSocket::PCSBSocket(unsigned short port, bool is_server)
    : mWinSocket(PLAT_NET_NO_SOCKET),
      mSocketStatus(pcsbstatus_Ready),
      mSocketError(0),
      mReceivedRelease(false),
      mSentRelease(false),
      mIsAServer(false) {
  (void)is_server;  // the listening mode is not needed by any caller
  int err = 0;
  mWinSocket = PLAT_tcp_socket(&err);
  if (mWinSocket == PLAT_NET_NO_SOCKET) {
    go_error(*this, err);
    return;
  }
  PLAT_socket_nodelay(mWinSocket);
  if ((err = PLAT_socket_bind_any(mWinSocket, port)) != 0) {
    go_error(*this, err);
    return;
  }
  if ((err = PLAT_socket_nonblocking(mWinSocket)) != 0) go_error(*this, err);
}

PCSBSocket::~PCSBSocket() { PLAT_socket_close(mWinSocket); }

unsigned long PCSBSocket::LookupAddress(const char* host) { return PLAT_lookup_ipv4(host); }

void PCSBSocket::Connect(unsigned long address, unsigned short port) {
  if (mSocketStatus == pcsbstatus_Error) return;  // creation failed: there is nothing to connect
  mSocketStatus = pcsbstatus_Connecting;
  int rc = PLAT_socket_connect(mWinSocket, address, port);
  if (rc == 0)
    mSocketStatus = pcsbstatus_Connected;
  else if (rc != PLAT_NET_WOULDBLOCK)
    go_error(*this, rc);
}

PCSB_Status PCSBSocket::GetStatus() {
  if (mSocketStatus != pcsbstatus_Connecting) return mSocketStatus;
  int writable = 0, failed = 0;
  int rc = PLAT_socket_poll_connect(mWinSocket, &writable, &failed);
  if (rc != 0)
    go_error(*this, rc);
  else if (writable || failed)
    mSocketStatus = (writable && !failed) ? pcsbstatus_Connected : pcsbstatus_Disconnected;
  return mSocketStatus;
}

long PCSBSocket::ReadData(void* buffer, long size) {
  int code = 0;
  long n = PLAT_socket_recv(mWinSocket, buffer, size, &code);
  if (n > 0) return n;
  if (n == 0) {
    mReceivedRelease = true;
    return 0;
  }
  if (code == PLAT_NET_WOULDBLOCK) return 0;
  if (is_lost_connection(code))
    mSocketStatus = pcsbstatus_Disconnected;
  else
    go_error(*this, code);
  return -1;
}

long PCSBSocket::http_WriteData(const void* data, long size) {
  int code = 0;
  long n = PLAT_socket_send(mWinSocket, data, size, &code);
  if (n >= 0) return n;
  if (code == PLAT_NET_WOULDBLOCK) return 0;
  if (is_lost_connection(code) || code == PLAT_NET_SHUTDOWN)
    mSocketStatus = pcsbstatus_Disconnected;
  else
    go_error(*this, code);
  return -1;
}

void PCSBSocket::Disconnect() {
  PLAT_socket_shutdown_send(mWinSocket);
  if (mSocketStatus != pcsbstatus_Error) mSocketStatus = pcsbstatus_Disconnected;
}
