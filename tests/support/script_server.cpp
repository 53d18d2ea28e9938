// The scripted loopback peer: one accepting thread, one thread per connection.
// Every wait polls in short rounds so that the destructor can end it.
#include "support/script_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

struct ScriptServer::conn {
  int fd = -1;
  std::string request;
  int steps_done = 0;
  std::thread thread;
};

static const int kRoundMs = 20;

script_step step_send(const std::string& bytes) { return {script_step::send, bytes, 0}; }
script_step step_gate() { return {script_step::gate, "", 0}; }
script_step step_pause(int ms) { return {script_step::pause, "", ms}; }
script_step step_read_request() { return {script_step::read_request, "", 0}; }
script_step step_close() { return {script_step::close, "", 0}; }
script_step step_reset() { return {script_step::reset, "", 0}; }
script_step step_hold() { return {script_step::hold, "", 0}; }

int loopback_free_port() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  socklen_t len = sizeof a;
  int port = 0;
  if (bind(fd, (struct sockaddr*)&a, sizeof a) == 0 && getsockname(fd, (struct sockaddr*)&a, &len) == 0)
    port = ntohs(a.sin_port);
  close(fd);
  return port;
}

ScriptServer::ScriptServer(int rcvbuf_bytes) : rcvbuf_(rcvbuf_bytes) {
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) throw std::runtime_error("ScriptServer: socket failed");
  if (rcvbuf_ > 0)  // set before listen so that accepted sockets start with it
    setsockopt(listen_fd_, SOL_SOCKET, SO_RCVBUF, &rcvbuf_, sizeof rcvbuf_);
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(listen_fd_, (struct sockaddr*)&a, sizeof a) != 0 || listen(listen_fd_, 64) != 0 ||
      getsockname(listen_fd_, (struct sockaddr*)&a, &len) != 0) {
    close(listen_fd_);
    throw std::runtime_error("ScriptServer: cannot listen");
  }
  port_ = ntohs(a.sin_port);
  acceptor_ = std::thread(&ScriptServer::accept_loop, this);
}

ScriptServer::~ScriptServer() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_all();
  if (acceptor_.joinable()) acceptor_.join();
  for (auto& c : conns_) {
    if (c->thread.joinable()) c->thread.join();
    if (c->fd >= 0) close(c->fd);
  }
  close(listen_fd_);
}

std::string ScriptServer::host() const { return "127.0.0.1:" + std::to_string(port_); }

void ScriptServer::add_connection(std::vector<script_step> steps, bool read_first) {
  std::lock_guard<std::mutex> lock(mu_);
  queued_.emplace_back(std::move(steps), read_first);
}

void ScriptServer::release(int n) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    gates_open_ += n;
  }
  cv_.notify_all();
}

int ScriptServer::connections() const {
  std::lock_guard<std::mutex> lock(mu_);
  return (int)conns_.size();
}

std::string ScriptServer::request(int i) const {
  std::lock_guard<std::mutex> lock(mu_);
  return i >= 0 && i < (int)conns_.size() ? conns_[i]->request : std::string();
}

int ScriptServer::steps_done(int i) const {
  std::lock_guard<std::mutex> lock(mu_);
  return i >= 0 && i < (int)conns_.size() ? conns_[i]->steps_done : 0;
}

bool ScriptServer::wait_steps(int i, int n, int timeout_ms) const {
  std::unique_lock<std::mutex> lock(mu_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                      [&] { return i < (int)conns_.size() && conns_[i]->steps_done >= n; });
}

bool ScriptServer::wait_connections(int n, int timeout_ms) const {
  std::unique_lock<std::mutex> lock(mu_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return (int)conns_.size() >= n; });
}

bool ScriptServer::wait_gate() {
  std::unique_lock<std::mutex> lock(mu_);
  cv_.wait(lock, [&] { return gates_open_ > 0 || stop_; });
  if (stop_) return false;
  gates_open_--;
  return true;
}

void ScriptServer::accept_loop() {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (stop_) return;
    }
    struct pollfd p = {listen_fd_, POLLIN, 0};
    if (poll(&p, 1, kRoundMs) <= 0) continue;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mu_);
    auto c = std::make_unique<conn>();
    c->fd = fd;
    std::vector<script_step> steps;
    bool read_first = true;
    if (next_script_ < queued_.size()) {
      steps = queued_[next_script_].first;
      read_first = queued_[next_script_].second;
      next_script_++;
    }
    conn* raw = c.get();
    conns_.push_back(std::move(c));
    raw->thread = std::thread(&ScriptServer::run_conn, this, raw, std::move(steps), read_first);
    cv_.notify_all();
  }
}

// Waits one round for `events` on fd; false once the server stops.
static bool poll_round(int fd, short events, const bool& stop, std::mutex& mu, bool* ready) {
  {
    std::lock_guard<std::mutex> lock(mu);
    if (stop) return false;
  }
  struct pollfd p = {fd, events, 0};
  *ready = poll(&p, 1, kRoundMs) > 0;
  return true;
}

void ScriptServer::run_conn(conn* c, std::vector<script_step> steps, bool read_first) {
  const int fd = c->fd;
  bool open = true;       // the connection still exists
  bool write_shut = false;

  // Reads until the request's empty line (when `until_end` is set) or until the
  // client closes; false when the client closed or the server stops.
  auto read_some = [&](bool until_end) -> bool {
    size_t start;
    {
      std::lock_guard<std::mutex> lock(mu_);
      start = c->request.size();
    }
    char buf[65536];
    for (;;) {
      bool ready = false;
      if (!poll_round(fd, POLLIN, stop_, mu_, &ready)) return false;
      if (!ready) continue;
      ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) return false;
      std::lock_guard<std::mutex> lock(mu_);
      c->request.append(buf, (size_t)n);
      if (until_end && c->request.find("\r\n\r\n", start) != std::string::npos) return true;
    }
  };

  auto send_all = [&](const std::string& bytes) -> bool {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n > 0) {
        done += (size_t)n;
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      bool ready = false;
      if (!poll_round(fd, POLLOUT, stop_, mu_, &ready)) return false;
    }
    return true;
  };

  auto finish_step = [&] {
    {
      std::lock_guard<std::mutex> lock(mu_);
      c->steps_done++;
    }
    cv_.notify_all();
  };

  if (read_first) read_some(true);
  for (const script_step& s : steps) {
    if (!open) break;
    bool go_on = true;
    switch (s.kind) {
      case script_step::send: go_on = send_all(s.bytes); break;
      case script_step::gate: go_on = wait_gate(); break;
      case script_step::pause: {
        std::unique_lock<std::mutex> lock(mu_);
        go_on = !cv_.wait_for(lock, std::chrono::milliseconds(s.ms), [&] { return stop_; });
        break;
      }
      case script_step::read_request: read_some(true); break;
      case script_step::close:
        shutdown(fd, SHUT_WR);
        write_shut = true;
        break;
      case script_step::reset: {
        struct linger l = {1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        close(fd);
        std::lock_guard<std::mutex> lock(mu_);
        c->fd = -1;
        open = false;
        break;
      }
      case script_step::hold: {
        std::unique_lock<std::mutex> lock(mu_);
        cv_.wait(lock, [&] { return stop_; });
        go_on = false;
        break;
      }
    }
    finish_step();
    if (!go_on) break;
  }
  if (!open) return;
  // The end of the script: a FIN, then whatever the client still sends, so that
  // closing never turns into a reset because of unread bytes.
  if (!write_shut) shutdown(fd, SHUT_WR);
  read_some(false);
}
