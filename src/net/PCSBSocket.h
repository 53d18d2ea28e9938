// One non-blocking TCP connection for the HTTP client. Every call returns at once
// with whatever progress the system has made, so the frame loop can poll several
// transfers per frame; only LookupAddress waits (for the resolver).
//
// Failures never reach the user from here: they become a status (and a code in
// mSocketError) that the HTTP client reads and logs. Main thread only.
#pragma once

enum PCSB_Status {
  pcsbstatus_Ready = 1,         // created, bound and non-blocking; not connecting yet
  pcsbstatus_Connecting = 2,    // a connection attempt is under way
  pcsbstatus_Connected = 3,     // data may be sent and received
  pcsbstatus_Disconnected = 4,  // refused, reset, or shut down by this side
  pcsbstatus_Error = 5,         // a system error; its code is in mSocketError
};

class PCSBSocket {
 public:
  unsigned int mWinSocket;      // the system's socket handle
  PCSB_Status mSocketStatus;    // current state (above)
  int mSocketError;             // code recorded with the change to pcsbstatus_Error; 0 until then
  bool mReceivedRelease;        // the peer closed its sending side (a receive gave 0 bytes)
  bool mSentRelease;            // always false: nothing here sets it
  bool mIsAServer;              // always false: no listening sockets are made

  // Prepares the socket library; call once before the first socket. True when it
  // is ready. The argument has no effect.
  static bool StartupNetworking(bool);

  // Creates a TCP socket without the Nagle delay, bound to any local address and
  // `port` (0: any free port), in non-blocking mode. Status pcsbstatus_Ready, or
  // pcsbstatus_Error with the code when creating or binding failed. `is_server`
  // must be false (callers pass port 0 and false).
  PCSBSocket(unsigned short port, bool is_server);
  // Closes the socket.
  virtual ~PCSBSocket();
  PCSBSocket(const PCSBSocket&) = delete;
  PCSBSocket& operator=(const PCSBSocket&) = delete;

  // The IPv4 address of `host` in network byte order: a dotted quad directly,
  // anything else by a name query (the first address). 0 when it cannot be
  // resolved. Blocks until the resolver answers.
  static unsigned long LookupAddress(const char* host);

  // Starts connecting to `address` (network byte order) and `port` (host byte
  // order). Status pcsbstatus_Connecting, pcsbstatus_Connected when the system
  // connected at once, or pcsbstatus_Error with the code when the attempt failed.
  void Connect(unsigned long address, unsigned short port);

  // The status; a connecting socket is looked at without waiting and becomes
  // pcsbstatus_Connected (writable, no error), pcsbstatus_Disconnected (refused
  // or failed) or pcsbstatus_Error (the look failed). Other states are returned
  // as stored: a connected socket stays connected after the peer closed; the
  // close shows as ReadData returning 0 with ReceivedRelease() true.
  PCSB_Status GetStatus();

  // Receives at most `size` bytes. Returns the count (> 0); 0 when nothing waits,
  // and also when the peer has closed (then mReceivedRelease is set); -1 after a
  // failure, which moves the status as the table in PCSBSocket.cpp says.
  long ReadData(void* buffer, long size);
  // Sends at most `size` bytes. Returns the count the system took (maybe fewer:
  // the caller keeps the rest), 0 when the send would block, -1 after a failure.
  long http_WriteData(const void* data, long size);

  // Shuts down the sending direction; status pcsbstatus_Disconnected unless it is
  // pcsbstatus_Error. The socket stays open until the object is deleted.
  void Disconnect();

  int GetOSError() const { return mSocketError; }
  bool ReceivedRelease() const { return mReceivedRelease; }
};
