// The socket wrapper on real loopback connections: connecting, refused and failed
// connections, reads and writes and their failure classes, the name lookup, and
// the errno mapping of the platform layer.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <thread>

#include "net/PCSBSocket.h"
#include "platform/plat_net.h"
#include "support/script_server.h"

// Polls a connecting socket until it leaves pcsbstatus_Connecting (real time: this
// waits for the system's handshake, not for a clock).
static PCSB_Status settle(PCSBSocket& s) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  PCSB_Status st;
  while ((st = s.GetStatus()) == pcsbstatus_Connecting && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return st;
}

static unsigned long loopback() { return htonl(INADDR_LOOPBACK); }

static bool wait_readable(unsigned int fd) {
  struct pollfd p = {(int)fd, POLLIN, 0};
  return poll(&p, 1, 5000) > 0;
}

TEST(PlatNet, ErrnoMapsToTheProgramsCodes) {
  const struct {
    int system, code;
  } cases[] = {
      {EWOULDBLOCK, 10035}, {EAGAIN, 10035},    {EINPROGRESS, 10035}, {ECONNABORTED, 10053},
      {ECONNRESET, 10054},  {EPIPE, 10054},     {ENOTCONN, 10057},    {ESHUTDOWN, 10058},
      {ETIMEDOUT, 10060},   {ECONNREFUSED, ECONNREFUSED}, {ENETUNREACH, ENETUNREACH}, {0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.code, PLAT_net_code(c.system)) << "errno " << c.system;
}

TEST(Socket, NewSocketIsReadyAndCleanAndClosesItsHandle) {
  unsigned int handle;
  {
    PCSBSocket s(0, false);
    EXPECT_EQ(pcsbstatus_Ready, s.mSocketStatus);
    EXPECT_EQ(0, s.GetOSError());
    EXPECT_FALSE(s.mReceivedRelease || s.mSentRelease || s.mIsAServer);
    handle = s.mWinSocket;
    EXPECT_NE(PLAT_NET_NO_SOCKET, handle);
    EXPECT_EQ(pcsbstatus_Ready, s.GetStatus()) << "only a connecting socket is re-examined";
  }
  struct pollfd p = {(int)handle, POLLIN, 0};
  ASSERT_EQ(1, poll(&p, 1, 0));
  EXPECT_TRUE(p.revents & POLLNVAL) << "the destructor closes the socket";
}

TEST(Socket, ConnectionToAClosedPortEndsDisconnectedLater) {
  const int port = loopback_free_port();
  PCSBSocket s(0, false);
  s.Connect(loopback(), (unsigned short)port);
  // A non-blocking connect never reports the refusal itself.
  EXPECT_TRUE(s.mSocketStatus == pcsbstatus_Connecting || s.mSocketStatus == pcsbstatus_Disconnected);
  EXPECT_EQ(pcsbstatus_Disconnected, settle(s));
  EXPECT_EQ(0, s.GetOSError());
}

TEST(Socket, ConnectThatFailsAtOnceIsAnErrorThatDisconnectKeeps) {
  PCSBSocket s(0, false);
  s.Connect(0xFFFFFFFFul, 80);  // the broadcast address: the system refuses a TCP connect there
  EXPECT_EQ(pcsbstatus_Error, s.GetStatus());
  EXPECT_NE(0, s.GetOSError());
  EXPECT_NE(PLAT_NET_WOULDBLOCK, s.GetOSError());
  s.Disconnect();
  EXPECT_EQ(pcsbstatus_Error, s.GetStatus());
}

TEST(Socket, ReadsAndThePeersClose) {
  ScriptServer srv;
  srv.add_connection({step_send("hello"), step_gate(), step_close()}, false);
  PCSBSocket s(0, false);
  s.Connect(loopback(), (unsigned short)srv.port());
  ASSERT_EQ(pcsbstatus_Connected, settle(s));

  ASSERT_TRUE(srv.wait_steps(0, 1));
  ASSERT_TRUE(wait_readable(s.mWinSocket));
  char buf[64];
  EXPECT_EQ(5, s.ReadData(buf, sizeof buf));
  EXPECT_EQ("hello", std::string(buf, 5));
  EXPECT_EQ(0, s.ReadData(buf, sizeof buf)) << "nothing waiting";
  EXPECT_FALSE(s.ReceivedRelease());
  EXPECT_EQ(pcsbstatus_Connected, s.GetStatus());

  srv.release();
  ASSERT_TRUE(srv.wait_steps(0, 3));
  ASSERT_TRUE(wait_readable(s.mWinSocket));
  EXPECT_EQ(0, s.ReadData(buf, sizeof buf));
  EXPECT_TRUE(s.ReceivedRelease());
  EXPECT_EQ(pcsbstatus_Connected, s.GetStatus()) << "a close by the peer does not change the status";

  EXPECT_EQ(3, s.http_WriteData("bye", 3)) << "our sending side is still open";
  s.Disconnect();
  EXPECT_EQ(pcsbstatus_Disconnected, s.GetStatus());
  EXPECT_EQ(0, s.GetOSError());
}

TEST(Socket, WritesArePartialWhenThePeerDoesNotRead) {
  ScriptServer srv(4096);
  srv.add_connection({step_hold()}, false);
  PCSBSocket s(0, false);
  s.Connect(loopback(), (unsigned short)srv.port());
  ASSERT_EQ(pcsbstatus_Connected, settle(s));
  const std::string big(32 << 20, 'x');
  long first = s.http_WriteData(big.data(), (long)big.size());
  EXPECT_GT(first, 0);
  EXPECT_LT(first, (long)big.size()) << "the system takes only what fits";
  long more;
  long total = first;
  while ((more = s.http_WriteData(big.data() + total, (long)big.size() - total)) > 0) total += more;
  EXPECT_EQ(0, more) << "a full send buffer is 'would block', not a failure";
  EXPECT_EQ(pcsbstatus_Connected, s.GetStatus());
}

TEST(Socket, ResetByThePeerDisconnectsWithoutSignal) {
  // Writing into a connection the peer has reset would raise SIGPIPE without the
  // platform layer's care; this test process would die of it.
  for (int reading = 0; reading < 2; reading++) {
    ScriptServer srv;
    srv.add_connection({step_gate(), step_reset()}, false);
    PCSBSocket s(0, false);
    s.Connect(loopback(), (unsigned short)srv.port());
    ASSERT_EQ(pcsbstatus_Connected, settle(s));
    srv.release();  // only now: a reset before the connection was seen makes it disconnected at once
    ASSERT_TRUE(srv.wait_steps(0, 2));
    ASSERT_TRUE(wait_readable(s.mWinSocket));
    char buf[16];
    long r = reading ? s.ReadData(buf, sizeof buf) : s.http_WriteData("x", 1);
    if (!reading && r == 1) r = s.http_WriteData("x", 1);  // the first write may still be taken
    EXPECT_EQ(-1, r) << (reading ? "read" : "write");
    EXPECT_EQ(pcsbstatus_Disconnected, s.GetStatus());
    EXPECT_EQ(0, s.GetOSError()) << "a lost connection records no error code";
    // Once the reset has been reported, a send finds the connection gone (EPIPE).
    EXPECT_EQ(-1, s.http_WriteData("x", 1));
    EXPECT_EQ(pcsbstatus_Disconnected, s.GetStatus());
  }
}

TEST(Socket, WritingAfterDisconnectFailsWithoutSignal) {
  ScriptServer srv;
  srv.add_connection({step_hold()}, false);
  PCSBSocket s(0, false);
  s.Connect(loopback(), (unsigned short)srv.port());
  ASSERT_EQ(pcsbstatus_Connected, settle(s));
  s.Disconnect();
  EXPECT_EQ(-1, s.http_WriteData("x", 1)) << "the sending side is shut down";
  EXPECT_EQ(pcsbstatus_Disconnected, s.GetStatus());
}

TEST(Socket, LookupAddress) {
  EXPECT_EQ(htonl(0x0A000001u), PCSBSocket::LookupAddress("10.0.0.1"));
  EXPECT_EQ(htonl(INADDR_LOOPBACK), PCSBSocket::LookupAddress("localhost"));
  EXPECT_EQ(0ul, PCSBSocket::LookupAddress("nosuch.invalid"));
  EXPECT_EQ(0ul, PCSBSocket::LookupAddress(""));
  EXPECT_TRUE(PCSBSocket::StartupNetworking(true));
}
