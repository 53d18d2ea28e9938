// A scripted HTTP peer on loopback, for the protocol cases no real server
// produces. It listens on 127.0.0.1 at a free port; every accepted connection gets
// its own thread and runs the next queued script: it records the exact request
// bytes, then answers with exact bytes, split into as many separate sends as the
// script says, pausing, waiting for the test, stalling or closing early.
//
// Typical use:
//   ScriptServer srv;
//   srv.add_connection({step_send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n"),
//                       step_gate(),            // wait until the test calls release()
//                       step_send("ab")});      // then the body, in a separate send
//   ... http.net_check(2, srv.host(), "/f", local) ...
//   srv.release();
//   EXPECT_EQ("GET /f HTTP/1.1\r\n...", srv.request(0));
//
// Steps run in order; after the last one the server closes its side (FIN) and
// reads on until the client closes. Waiting steps (gate, hold) and sends to a
// client that does not read end when the server is destroyed, so a test never
// hangs on it. All methods may be called from the test's thread while the
// connection threads run.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct script_step {
  enum kind_t { send, gate, pause, read_request, close, reset, hold };
  kind_t kind;
  std::string bytes;  // send: the bytes
  int ms = 0;         // pause: milliseconds
};

// One send of exactly these bytes (repeated only while the system takes part of them).
script_step step_send(const std::string& bytes);
// Waits until the test opens a gate with release().
script_step step_gate();
// Sleeps `ms` milliseconds of real time.
script_step step_pause(int ms);
// Reads up to and including the request's empty line ("\r\n\r\n"), appending it
// to request(i). Ends early when the client closes.
script_step step_read_request();
// Closes the server's sending side now (the client sees a FIN); later steps may
// still read. Unread request bytes are drained, so the close is never a reset.
script_step step_close();
// Aborts the connection now (the client sees a reset); ends the script.
script_step step_reset();
// Keeps the connection open and silent until the server is destroyed (a stalled
// or hung server); ends the script.
script_step step_hold();

class ScriptServer {
 public:
  // Starts listening. `rcvbuf_bytes` > 0 makes the receive buffer of accepted
  // connections that small, so that a client's large request fills the path
  // quickly (partial writes) while the script does not read.
  explicit ScriptServer(int rcvbuf_bytes = 0);
  // Closes every connection and the listener; joins all threads.
  ~ScriptServer();
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  int port() const { return port_; }
  std::string host() const;  // "127.0.0.1:PORT"

  // Queues the script of the next connection to be accepted. With `read_first`
  // the request is read (as step_read_request) before the first step. A
  // connection accepted without a queued script has its request read and is
  // closed (FIN).
  void add_connection(std::vector<script_step> steps, bool read_first = true);

  // Opens `n` gates: each lets one step_gate, now waiting or reached later, go on.
  void release(int n = 1);

  // Connections accepted so far.
  int connections() const;
  // The bytes read from connection `i` so far ("" when there is no such connection).
  std::string request(int i) const;
  // Steps connection `i` has finished (the implicit first read is not counted).
  int steps_done(int i) const;
  // Waits up to `timeout_ms` of real time until connection `i` has finished `n`
  // steps. False on time-out.
  bool wait_steps(int i, int n, int timeout_ms = 5000) const;
  // Waits until at least `n` connections were accepted. False on time-out.
  bool wait_connections(int n, int timeout_ms = 5000) const;

 private:
  struct conn;
  void accept_loop();
  void run_conn(conn* c, std::vector<script_step> steps, bool read_first);
  bool wait_gate();

  int listen_fd_ = -1;
  int port_ = 0;
  int rcvbuf_ = 0;
  bool stop_ = false;
  int gates_open_ = 0;
  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
  std::vector<std::pair<std::vector<script_step>, bool>> queued_;
  size_t next_script_ = 0;
  std::vector<std::unique_ptr<conn>> conns_;
  std::thread acceptor_;
};

// A loopback TCP port that nothing listened on a moment ago (bound to port 0 and
// released), for servers that need a port number up front or for a refused
// connection. Another program may take it in between; callers retry.
int loopback_free_port();
