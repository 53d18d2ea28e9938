// The nginx of the end-to-end tests, for the Windows test programs under wine:
// Debian's nginx is a Linux program, started through /bin/sh in the background
// and stopped by its Linux process id; its folders are on drive Z:, where both
// sides see them.
#include "support/nginx_fixture.h"

#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "support/fs_helpers.h"
#include "support/nginx_conf.h"
#include "support/script_server.h"
#include "support/win32/unix_run.h"

static void winsock() {
  static bool started = [] {
    WSADATA d;
    return WSAStartup(MAKEWORD(2, 2), &d) == 0;
  }();
  (void)started;
}

int loopback_free_port() {
  winsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    std::cerr << "loopback_free_port: socket failed with " << WSAGetLastError() << "\n";
    return -1;
  }
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  int len = sizeof a;
  int port = -1;
  if (bind(s, (sockaddr*)&a, sizeof a) == 0 && getsockname(s, (sockaddr*)&a, &len) == 0)
    port = ntohs(a.sin_port);
  else
    std::cerr << "loopback_free_port: no free port (" << WSAGetLastError() << ")\n";
  closesocket(s);
  return port;
}

static bool probe(int port, const std::string& token) {
  winsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  DWORD tv = 1000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (const char*)&tv, sizeof tv);
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, (const char*)&tv, sizeof tv);
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons((unsigned short)port);
  std::string reply;
  if (connect(s, (sockaddr*)&a, sizeof a) == 0) {
    std::string req = std::string("GET ") + kProbePath + " HTTP/1.0\r\nHost: localhost\r\n\r\n";
    if (send(s, req.data(), (int)req.size(), 0) == (int)req.size()) {
      char buf[4096];
      int n;
      while ((n = recv(s, buf, sizeof buf, 0)) > 0) reply.append(buf, (size_t)n);
    }
  }
  closesocket(s);
  return reply.find(token) != std::string::npos;
}

static bool still_running(long pid) {
  return unix_shell("kill -0 " + std::to_string(pid)) == 0;
}

NginxServer::NginxServer(const std::string& root_dir, long limit_rate) : dir_(new TempDir) {
  const std::string dir = dir_->path();
  const std::string udir = unix_paths(dir);
  const std::string token = "vantrel-fixture-" + std::to_string(GetCurrentProcessId()) + "-" + udir;
  for (int attempt = 0; attempt < 10 && pid_ < 0; attempt++) {
    const int port = loopback_free_port();
    if (port <= 0) continue;
    write_file(dir + "nginx.conf", make_conf(udir, unix_paths(root_dir), port, limit_rate, token));
    const long pid = unix_spawn("exec /usr/sbin/nginx -p " + shell_quote(udir) + " -c " +
                                shell_quote(udir + "nginx.conf") + " -e " + shell_quote(udir + "error.log"));
    if (pid <= 0) {
      std::cerr << "NginxServer: cannot start nginx (is nginx-light installed?)\n";
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool up = false;
    while (std::chrono::steady_clock::now() < deadline) {
      if (probe(port, token)) {
        up = true;
        break;
      }
      if (!still_running(pid)) break;  // most likely the port was taken meanwhile: next one
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (up) {
      pid_ = (int)pid;
      port_ = port;
      return;
    }
    unix_shell("kill -9 " + std::to_string(pid));
  }
  std::cerr << "NginxServer: nginx did not start; its log says:\n" << read_file(dir + "error.log");
}

NginxServer::~NginxServer() {
  if (pid_ > 0) {
    // TERM, then KILL when it has not ended within five seconds.
    const std::string p = std::to_string(pid_);
    unix_shell("kill -TERM " + p + "; for i in $(seq 1 100); do kill -0 " + p +
               " 2>/dev/null || exit 0; sleep 0.05; done; kill -KILL " + p);
  }
}

std::string NginxServer::host() const { return "127.0.0.1:" + std::to_string(port_); }
std::string NginxServer::error_log() const { return dir_->path() + "error.log"; }
std::string NginxServer::access_log() const { return dir_->path() + "access.log"; }
