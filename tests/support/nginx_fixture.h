// A real nginx (Debian's nginx-light) serving a folder as static files on a free
// loopback port, for end-to-end network tests. The server runs as a child process
// with a generated configuration in a temporary folder of its own (logs there
// too); the destructor stops it by its process id. Names with spaces are served
// as usual ("%20" in the request); there is no directory listing.
#pragma once
#include <memory>
#include <string>

class TempDir;

class NginxServer {
 public:
  // Starts nginx on 127.0.0.1 at a free port, serving `root_dir`, and waits until
  // it answers. `limit_rate` > 0 throttles every response to that many bytes per
  // second (for transfers that should stay in progress for a while). On failure
  // ok() is false and the reason is on standard error.
  explicit NginxServer(const std::string& root_dir, long limit_rate = 0);
  // Stops the server (SIGTERM, then SIGKILL if it does not end) and removes its folder.
  ~NginxServer();
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  int port() const { return port_; }
  std::string host() const;  // "127.0.0.1:PORT"
  bool ok() const { return pid_ > 0; }
  // Path of the server's error log and access log (in its temporary folder).
  std::string error_log() const;
  std::string access_log() const;

 private:
  std::unique_ptr<TempDir> dir_;
  int port_ = 0;
  int pid_ = -1;
};
