// The polled HTTP/1.1 download client: six transfer slots, each a GET of one file
// from one server whose body goes straight into a local file. The frame loop calls
// http.net_check for a slot once or several times per frame; every call moves the
// transfer by at most one send and one receive and never waits, except for the
// name lookup when a transfer starts.
//
// Slots in use: 0 the server list, 1 the directory file, 2..5 the file streams.
// One request per connection ("Connection: close"); no redirects, no chunked
// bodies: a response counts only with a 2xx status and a "Content-Length" whose
// bytes all arrived. Main thread only.
#pragma once
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "net/PCSBSocket.h"

// Orders header field names without regard to ASCII case, as HTTP compares them.
struct http_field_less {
  bool operator()(const std::string& a, const std::string& b) const;
};

// One request and its response.
class down_class {
 public:
  PCSBSocket* mSocket;            // the connection; owned; null when the server name did not resolve
  std::vector<char> mOutBuf;      // request bytes the socket has not taken yet
  std::vector<char> mInBuf;       // received bytes not yet consumed (header text, then body bytes)
  bool mGotWholeHeader;           // the final response header has been read
  int mResponseNum;               // status code; 0 when no connection was made, -1 while none was read
  std::string mResponseName;      // reason phrase of the status line
  std::map<std::string, std::string, http_field_less> mFields;  // header fields; the first of a name wins
  FILE* mDestFile;                // receives the body; null before the header is complete or when it failed to open
  std::string mDestFileName;      // path of that file (app_path + the caller's path); "" for none
  int mFileErr;                   // latest error the socket does not report: errno, 20010 or 20011; 0 for none
  int64_t mIncomingLength;        // body length from "Content-Length"; -1 when none was announced
  int64_t mReceivedPayload;       // body bytes written to mDestFile so far (never more than mIncomingLength)
  float last_read_time;           // xtim.real_time at construction and whenever body data arrived
  int64_t mHeaderBytes;           // header bytes consumed so far, interim responses included

  // Resolves the server (or the proxy, see UseProxy), starts connecting to it and
  // prepares the request: "GET " (or "POST "), with a proxy "http://" + the "Host"
  // field, the URL with spaces sent as "%20", " HTTP/1.1", then the extra fields
  // in byte order of their names, a "Content-Length" when a body is given, an
  // empty line and the body. A name that does not resolve is logged ("Translated
  // server ...") and leaves the object without a socket and mFileErr 20011.
  down_class(const char* inServerIP, unsigned short inPort, const char* inURL, bool inIsPost,
             std::map<std::string, std::string> inExtraFields, const char* inContentBuffer,
             int inContentBufferLength, const char* rel_path);
  // Closes the file if open and the socket.
  ~down_class();
  down_class(const down_class&) = delete;
  down_class& operator=(const down_class&) = delete;

  // One step: looks at the connection, offers the unsent request bytes once,
  // receives once (at most 65,536 bytes), parses header lines and writes body
  // bytes to the file. Shuts the connection down when the announced length is in.
  // Failures that only this side sees set mFileErr: a header beyond 65,536 bytes
  // without its end (EMSGSIZE), a "Content-Length" that is not a non-negative
  // number (EBADMSG), the file failing to open (errno) or to take bytes (errno or
  // 20010).
  void DoProcessing();

  // Where the transfer stands, the first that holds of: 0 no socket, 1 connecting,
  // 2 socket error, 3 disconnected (refused, lost, or shut down after the body),
  // 4 request bytes unsent, 5 header read (body arriving), 6 waiting for the header.
  int GetStat();
  std::string GetResponseName() { return mResponseName; }

  // GetStat() is 3.
  bool IsDone();
  // The announced length has arrived (mIncomingLength equals mReceivedPayload).
  bool IsComplete();
  // mFileErr is set, or GetStat() is 0 or 2.
  bool IsErr();
  // mFileErr when set, else the socket's code, else 20009 (there is no socket).
  int GetOSErr();
};

// The client: the proxy settings and the six slots.
class http_class {
 public:
  std::string ProxyHost;     // proxy host name; empty for none (preferences)
  std::string ProxyPort_str; // proxy port as typed in the preferences window
  int ProxyPort_int = 0;     // proxy port as a number; 0 for none (preferences)
  down_class* down[6] = {};  // the transfer in each slot, or null

  ~http_class();

  // Drives the transfer in slot `o` (0..5). When the slot is empty it starts one:
  // a GET of `file` (starts with "/") from `server` (a host name, optionally
  // ":port", 80 without; never a trailing slash) into the local file `rel_path`;
  // "\" in the server and the path count as "/". Then it advances the transfer
  // once. Returns 0 while it runs, 1 when the body is complete in `rel_path`
  // (status 2xx, every announced byte), 2 when it failed: logged to xer with the
  // "HTTP Error for" block, except after 30 seconds of the frame clock without
  // body data (or without a header since the start), which ends it silently.
  // After 1 or 2 the slot is empty. Later calls on a running slot use the
  // arguments only for the log. A slot outside 0..5, a server with a trailing
  // slash or a path without a leading one end the program with a t_exit alert.
  int net_check(int o, const std::string& server, const std::string& file, const std::string& rel_path);

  // Abandons the transfer in slot `o`, if any, without logging it: its file is
  // closed (and left as it is on disk, for the caller to delete) and its
  // connection closed, and the slot is empty, so that the next net_check starts a
  // new request. Returns 1 when a transfer was abandoned, 0 when the slot was
  // empty. A slot outside 0..5 ends the program like net_check.
  int net_abandon(int o);

  // For an idle wait that should end as soon as a transfer can move: the sockets
  // of the transfers in flight (at most `max`), with `for_write` 1 for one that
  // is connecting or has request bytes to send, 0 for one waiting for data.
  // Returns their count, or -1 when a transfer can move without waiting (its
  // connection ended or failed).
  int net_wake_sockets(unsigned int* sockets, int* for_write, int max);
};

extern http_class http;  // the download client; slots driven by the server list, directory and transfer code

// True when a proxy is set: http.ProxyPort_int is not 0 and http.ProxyHost is not
// empty. The arguments do not change the answer.
bool UseProxy(const char* inIP, unsigned short inPort);

// The "User-agent" value every request carries ("Installer-IBM/" and the last four
// characters of the product's version name).
std::string http_user_agent();
