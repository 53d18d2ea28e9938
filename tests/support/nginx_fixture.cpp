// Starting and stopping the nginx of the end-to-end tests.
#include "support/nginx_fixture.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/fs_helpers.h"
#include "support/nginx_conf.h"
#include "support/script_server.h"

extern char** environ;

// Asks for the probe page; true when this very server (its token) answers.
static bool probe(int port, const std::string& token) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  struct timeval tv = {1, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons((unsigned short)port);
  std::string reply;
  if (connect(fd, (struct sockaddr*)&a, sizeof a) == 0) {
    std::string req = std::string("GET ") + kProbePath + " HTTP/1.0\r\nHost: localhost\r\n\r\n";
    if (send(fd, req.data(), req.size(), MSG_NOSIGNAL) == (ssize_t)req.size()) {
      char buf[4096];
      ssize_t n;
      while ((n = recv(fd, buf, sizeof buf, 0)) > 0) reply.append(buf, (size_t)n);
    }
  }
  close(fd);
  return reply.find(token) != std::string::npos;
}

static bool still_running(int pid) {
  int status;
  return waitpid(pid, &status, WNOHANG) == 0;
}

NginxServer::NginxServer(const std::string& root_dir, long limit_rate) : dir_(new TempDir) {
  const std::string dir = dir_->path();
  const std::string token = "vantrel-fixture-" + std::to_string(getpid()) + "-" + dir;
  for (int attempt = 0; attempt < 10 && pid_ < 0; attempt++) {
    const int port = loopback_free_port();
    if (port <= 0) continue;
    write_file(dir + "nginx.conf", make_conf(dir, root_dir, port, limit_rate, token));
    const std::string conf = dir + "nginx.conf", err = dir + "error.log";
    const char* argv[] = {"nginx", "-p", dir.c_str(), "-c", conf.c_str(), "-e", err.c_str(), nullptr};
    pid_t pid;
    const char* exe = access("/usr/sbin/nginx", X_OK) == 0 ? "/usr/sbin/nginx" : "nginx";
    if (posix_spawnp(&pid, exe, nullptr, nullptr, (char* const*)argv, environ) != 0) {
      std::cerr << "NginxServer: cannot start nginx (is nginx-light installed?)\n";
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool up = false;
    while (std::chrono::steady_clock::now() < deadline) {
      if (!still_running(pid)) break;  // most likely the port was taken meanwhile: next one
      if (probe(port, token)) {
        up = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (up) {
      pid_ = pid;
      port_ = port;
      return;
    }
    if (still_running(pid)) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  std::cerr << "NginxServer: nginx did not start; its log says:\n" << read_file(dir + "error.log");
}

NginxServer::~NginxServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

std::string NginxServer::host() const { return "127.0.0.1:" + std::to_string(port_); }
std::string NginxServer::error_log() const { return dir_->path() + "error.log"; }
std::string NginxServer::access_log() const { return dir_->path() + "access.log"; }
