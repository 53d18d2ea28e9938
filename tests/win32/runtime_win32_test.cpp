// Threads, semaphores and Winsock on Windows: the wait results and error
// numbers the program's callers rely on.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cerrno>

#include "platform/plat_net.h"
#include "platform/plat_thread.h"

TEST(WinThreads, SemaphoreCountsWaitsAndOverflows) {
  PLAT_semaphore* s = nullptr;
  ASSERT_EQ(0, PLAT_semaphore_create(0, 2, &s));
  EXPECT_EQ(ETIMEDOUT, PLAT_semaphore_wait(s, 0)) << "an empty semaphore only polls";
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(ETIMEDOUT, PLAT_semaphore_wait(s, 50));
  EXPECT_GE(GetTickCount() - t0, 40u);
  EXPECT_EQ(0, PLAT_semaphore_post(s));
  EXPECT_EQ(0, PLAT_semaphore_post(s));
  EXPECT_EQ(EOVERFLOW, PLAT_semaphore_post(s)) << "beyond its maximum";
  EXPECT_EQ(0, PLAT_semaphore_wait(s, -1));
  EXPECT_EQ(0, PLAT_semaphore_wait(s, 0));
  EXPECT_EQ(ETIMEDOUT, PLAT_semaphore_wait(s, 0));
  PLAT_semaphore_destroy(s);
}

namespace {
struct marks_destruction {
  int* flag;
  ~marks_destruction() { *flag = 1; }
};
int g_destroyed = 0;
void* exits_early(void*) {
  marks_destruction m{&g_destroyed};
  PLAT_thread_exit((void*)42);
}
void* waits_for_event(void* ev) {
  WaitForSingleObject((HANDLE)ev, INFINITE);
  return (void*)7;
}
}  // namespace

TEST(WinThreads, ExitUnwindsAndJoinTimesOutWithTheWaitResult) {
  PLAT_thread* t = nullptr;
  ASSERT_EQ(0, PLAT_thread_start(exits_early, nullptr, &t));
  void* result = nullptr;
  ASSERT_EQ(0, PLAT_thread_join_within(t, 5000, &result));
  EXPECT_EQ((void*)42, result);
  EXPECT_EQ(1, g_destroyed) << "the thread's stack was unwound";
  PLAT_thread_release(t, 1);

  HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(0, PLAT_thread_start(waits_for_event, ev, &t));
  EXPECT_NE(PLAT_thread_self_id(), PLAT_thread_id_of(t));
  EXPECT_EQ(258, PLAT_thread_join_within(t, 20, &result)) << "WAIT_TIMEOUT, as the log reports it";
  SetEvent(ev);
  ASSERT_EQ(0, PLAT_thread_join_within(t, 5000, &result));
  EXPECT_EQ((void*)7, result);
  PLAT_thread_release(t, 1);
  CloseHandle(ev);
}

TEST(WinThreads, RecursiveLock) {
  PLAT_mutex* m = PLAT_mutex_create();
  PLAT_mutex_lock(m);
  PLAT_mutex_lock(m);
  PLAT_mutex_unlock(m);
  PLAT_mutex_unlock(m);
  PLAT_mutex_destroy(m);
  EXPECT_GE(PLAT_processor_count(), 1);
}

namespace {
// A listening socket on a free loopback port.
struct listener {
  SOCKET s = INVALID_SOCKET;
  unsigned short port = 0;
  listener() {
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, (sockaddr*)&a, sizeof a);
    int len = sizeof a;
    getsockname(s, (sockaddr*)&a, &len);
    port = ntohs(a.sin_port);
    listen(s, 4);
  }
  ~listener() { closesocket(s); }
};

// Polls a connecting socket until it is connected or failed (at most 5 s).
void wait_connect(plat_socket s, int* writable, int* failed) {
  for (int i = 0; i < 500; i++) {
    ASSERT_EQ(0, PLAT_socket_poll_connect(s, writable, failed));
    if (*writable || *failed) return;
    Sleep(10);
  }
}
}  // namespace

TEST(WinSockets, NonBlockingConnectSendReceiveWithWsaCodes) {
  ASSERT_EQ(1, PLAT_net_startup());
  EXPECT_EQ(10035, PLAT_net_code(WSAEWOULDBLOCK)) << "WSA codes are the program's codes";
  listener l;
  int err = -1;
  plat_socket s = PLAT_tcp_socket(&err);
  ASSERT_NE(PLAT_NET_NO_SOCKET, s);
  EXPECT_EQ(0, PLAT_socket_nodelay(s));
  EXPECT_EQ(0, PLAT_socket_bind_any(s, 0));
  EXPECT_EQ(0, PLAT_socket_nonblocking(s));
  const unsigned long lo = PLAT_lookup_ipv4("127.0.0.1");
  EXPECT_EQ(htonl(INADDR_LOOPBACK), lo);
  const int rc = PLAT_socket_connect(s, lo, l.port);
  EXPECT_TRUE(rc == 0 || rc == PLAT_NET_WOULDBLOCK) << rc;
  int writable = 0, failed = 0;
  wait_connect(s, &writable, &failed);
  EXPECT_EQ(1, writable);
  EXPECT_EQ(0, failed);
  SOCKET peer = accept(l.s, nullptr, nullptr);
  ASSERT_NE(INVALID_SOCKET, peer);

  char buf[16];
  EXPECT_EQ(-1, PLAT_socket_recv(s, buf, sizeof buf, &err));
  EXPECT_EQ(PLAT_NET_WOULDBLOCK, err) << "nothing waits yet";
  EXPECT_EQ(5, PLAT_socket_send(s, "hello", 5, &err));
  char got[8] = {};
  EXPECT_EQ(5, recv(peer, got, sizeof got, 0));
  EXPECT_STREQ("hello", got);
  send(peer, "ok", 2, 0);
  long n = -1;
  for (int i = 0; i < 200 && n < 0; i++, Sleep(5)) n = PLAT_socket_recv(s, buf, sizeof buf, &err);
  EXPECT_EQ(2, n);
  closesocket(peer);
  for (int i = 0; i < 200 && n != 0; i++, Sleep(5)) n = PLAT_socket_recv(s, buf, sizeof buf, &err);
  EXPECT_EQ(0, n) << "the peer closed its side";
  PLAT_socket_close(s);
}

TEST(WinSockets, RefusedConnectionShowsAsFailed) {
  unsigned short port;
  {
    listener l;
    port = l.port;
  }  // closed: nobody listens there any more
  int err;
  plat_socket s = PLAT_tcp_socket(&err);
  PLAT_socket_nonblocking(s);
  const int rc = PLAT_socket_connect(s, PLAT_lookup_ipv4("127.0.0.1"), port);
  int writable = 0, failed = rc != 0 && rc != PLAT_NET_WOULDBLOCK;
  if (!failed) wait_connect(s, &writable, &failed);
  EXPECT_EQ(1, failed);
  EXPECT_EQ(0, writable);
  PLAT_socket_close(s);
}
