// A private X server (Xvfb) for the tests that drive a window with real input
// (xdotool): their pointer and keys must not land in another test's window on the
// shared display, nor theirs in ours. Started on a free display number, stopped by
// its process id when the object goes away.
#pragma once
#include <string>

class private_x_server {
 public:
  private_x_server();   // 1280 x 1024 x 24; check ok() before use
  ~private_x_server();
  private_x_server(const private_x_server&) = delete;
  private_x_server& operator=(const private_x_server&) = delete;
  bool ok() const { return !display_.empty(); }
  const std::string& display() const { return display_; }  // ":N"
  // Runs `command` in a shell with DISPLAY set to this server; returns its status.
  int run(const std::string& command, std::string* out = nullptr) const;

 private:
  int pid_ = -1;
  std::string display_;
};
