// The polled HTTP/1.1 download client.
//
// Sections: [request] building a transfer, [response] header parsing and the body,
// [status] GetStat and its predicates, [slots] net_check and net_abandon.
#include "net/http.h"

#include <cerrno>
#include <cstring>

#include "platform/plat_net.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "shell/hl_structs.h"
#include "shell/xtim.h"

http_class http;

// The product's version name; the user agent carries its last four characters.
static const char kVersionName[] = "Vantrel 9.00 Beta-17";
// Seconds without body data (or without a header since the start) before a
// transfer is given up.
static const float kTimeoutSeconds = 30.0f;
// A response header that grows past this without its end fails the transfer:
// a server that never ends its header must not grow our memory without limit.
static const int64_t kMaxHeaderBytes = 65536;

// The receive buffer shared by every transfer; bytes leave it within the call.
static char readChunk[65536];

static bool s_net_started = false;

bool http_field_less::operator()(const std::string& a, const std::string& b) const {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; i++) {
    unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
    if (x >= 'A' && x <= 'Z') x = (unsigned char)(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = (unsigned char)(y - 'A' + 'a');
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

bool UseProxy(const char*, unsigned short) { return http.ProxyPort_int != 0 && !http.ProxyHost.empty(); }

std::string http_user_agent() {
  const std::string v = kVersionName;
  return "Installer-IBM/" + v.substr(v.size() - 4);
}

// ---------------------------------------------------------------- [request]

down_class::down_class(const char* inServerIP, unsigned short inPort, const char* inURL, bool inIsPost,
                       std::map<std::string, std::string> inExtraFields, const char* inContentBuffer,
                       int inContentBufferLength, const char* rel_path)
    : mSocket(nullptr),
      mGotWholeHeader(false),
      mResponseNum(0),
      mDestFile(nullptr),
      mFileErr(0),
      mIncomingLength(-1),
      mReceivedPayload(0),
      last_read_time(xtim.real_time),
      mHeaderBytes(0) {
  mDestFileName = rel_path ? app_path + rel_path : std::string();

  const bool proxy = UseProxy(inServerIP, inPort);
  const unsigned long address = PCSBSocket::LookupAddress(proxy ? http.ProxyHost.c_str() : inServerIP);
  if (address == 0) {
    const unsigned char* b = (const unsigned char*)&address;
    xer << "Translated server " << inServerIP << " to IP addy: " << (int)b[0] << "." << (int)b[1] << "."
        << (int)b[2] << "." << (int)b[3] << " and port = " << inPort << "\n";
    mFileErr = 20011;
    return;
  }

  mResponseNum = -1;
  mSocket = new PCSBSocket(0, false);
  mSocket->Connect(address, proxy ? (unsigned short)http.ProxyPort_int : inPort);

  std::string url;
  for (const char* p = inURL ? inURL : ""; *p; p++) {
    if (*p == ' ')
      url += "%20";
    else
      url += *p;
  }

  std::string req = inIsPost ? "POST " : "GET ";
  if (proxy) {
    auto host = inExtraFields.find("Host");
    req += "http://" + (host != inExtraFields.end() ? host->second : std::string());
  }
  req += url + " HTTP/1.1\r\n";
  for (const auto& f : inExtraFields) req += f.first + ": " + f.second + "\r\n";
  if (inContentBuffer) req += "Content-Length: " + std::to_string(inContentBufferLength) + "\r\n";
  req += "\r\n";
  mOutBuf.assign(req.begin(), req.end());
  if (inContentBuffer && inContentBufferLength > 0)
    mOutBuf.insert(mOutBuf.end(), inContentBuffer, inContentBuffer + inContentBufferLength);
}

down_class::~down_class() {
  if (mDestFile) fclose(mDestFile);
  delete mSocket;
}

// ---------------------------------------------------------------- [response]

// A "Content-Length" value: optional blanks around one or more decimal digits.
// Returns -1 for anything else, or for a length too large to count.
static int64_t parse_content_length(const std::string& v) {
  size_t i = 0, end = v.size();
  while (i < end && (v[i] == ' ' || v[i] == '\t')) i++;
  while (end > i && (v[end - 1] == ' ' || v[end - 1] == '\t')) end--;
  if (i == end) return -1;
  int64_t n = 0;
  for (; i < end; i++) {
    if (v[i] < '0' || v[i] > '9') return -1;
    if (n > (INT64_MAX - 9) / 10) return -1;
    n = n * 10 + (v[i] - '0');
  }
  return n;
}

// The status number: the decimal value of up to three digits at offset 9.
static int status_number(const std::string& line) {
  int n = 0;
  for (size_t i = 9; i < 12 && i < line.size() && line[i] >= '0' && line[i] <= '9'; i++)
    n = n * 10 + (line[i] - '0');
  return n;
}

// Consumes the complete header lines at the front of mInBuf. Stops after the
// empty line of the final (status 200 or more) response; an interim response's
// end is passed over and parsing goes on with the bytes already received.
static void parse_header(down_class& d) {
  const char* buf = d.mInBuf.data();
  const size_t size = d.mInBuf.size();
  size_t pos = 0;
  while (!d.mGotWholeHeader && d.mFileErr == 0) {
    const char* cr = nullptr;
    for (size_t i = pos; i + 1 < size; i++) {
      if (buf[i] == '\r' && buf[i + 1] == '\n') {
        cr = buf + i;
        break;
      }
    }
    if (!cr) break;
    const size_t len = (size_t)(cr - (buf + pos));
    if (len == 0) {
      pos += 2;
      d.mHeaderBytes += 2;
      if (d.mResponseNum >= 200) {
        d.mGotWholeHeader = true;
        auto cl = d.mFields.find("Content-Length");
        if (cl != d.mFields.end()) {
          d.mIncomingLength = parse_content_length(cl->second);
          if (d.mIncomingLength < 0) {
            d.mFileErr = EBADMSG;
            break;
          }
        }
        if (!d.mDestFileName.empty()) {
          errno = 0;
          d.mDestFile = fopen(d.mDestFileName.c_str(), "wb");
          if (!d.mDestFile)
            d.mFileErr = errno ? errno : 20010;
          else  // every write reaches the system at once, so that its failure is seen at once
            setvbuf(d.mDestFile, nullptr, _IONBF, 0);
        }
      } else {
        d.mFields.clear();  // an interim response's fields say nothing about the final one
      }
      continue;
    }
    std::string line(buf + pos, len);
    pos += len + 2;
    d.mHeaderBytes += (int64_t)len + 2;
    if (d.mHeaderBytes > kMaxHeaderBytes) {
      d.mFileErr = EMSGSIZE;
      break;
    }
    if (line.compare(0, 5, "HTTP/") == 0 && line.size() > 13) {
      d.mResponseNum = status_number(line);
      d.mResponseName = line.substr(13);
    } else {
      size_t sep = line.find(": ");
      if (sep != std::string::npos) d.mFields.emplace(line.substr(0, sep), line.substr(sep + 2));
    }
  }
  d.mInBuf.erase(d.mInBuf.begin(), d.mInBuf.begin() + (long)pos);
  if (!d.mGotWholeHeader && d.mFileErr == 0 && d.mHeaderBytes + (int64_t)d.mInBuf.size() > kMaxHeaderBytes)
    d.mFileErr = EMSGSIZE;
}

// Closes the body file. A failure there (data the system could not put on disk
// after all) counts like a failed write.
static void close_dest(down_class& d) {
  if (!d.mDestFile) return;
  errno = 0;
  const int rc = fclose(d.mDestFile);
  d.mDestFile = nullptr;
  if (rc != 0 && d.mFileErr == 0) d.mFileErr = errno ? errno : 20010;
}

// Writes body bytes to the file; bytes past the announced length are dropped.
static void take_body(down_class& d, const char* data, size_t size) {
  d.last_read_time = xtim.real_time;
  if (d.mIncomingLength != -1 && d.mReceivedPayload + (int64_t)size >= d.mIncomingLength)
    d.mSocket->Disconnect();
  if (!d.mDestFile || size == 0) return;  // without a file there is nowhere to keep them
  size_t take = size;
  if (d.mIncomingLength != -1) {
    const int64_t room = d.mIncomingLength - d.mReceivedPayload;
    if ((int64_t)take > room) take = room > 0 ? (size_t)room : 0;
  }
  if (take == 0) return;
  d.mReceivedPayload += (int64_t)take;
  errno = 0;
  const size_t written = fwrite(data, 1, take, d.mDestFile);
  if (written < take) d.mFileErr = errno ? errno : 20010;
}

void down_class::DoProcessing() {
  if (!mSocket) return;
  const PCSB_Status st = mSocket->GetStatus();
  if (st == pcsbstatus_Disconnected || st == pcsbstatus_Error) {
    close_dest(*this);
    return;
  }
  if (st != pcsbstatus_Connected) return;

  if (!mOutBuf.empty()) {
    long n = mSocket->http_WriteData(mOutBuf.data(), (long)mOutBuf.size());
    if (n > 0) mOutBuf.erase(mOutBuf.begin(), mOutBuf.begin() + n);
  }

  const long n = mSocket->ReadData(readChunk, (long)sizeof readChunk);
  if (n <= 0) {
    // The server closed its side before the whole response arrived: nothing more
    // can come, so the transfer has failed now rather than at the time-out.
    if (n == 0 && mSocket->ReceivedRelease() && !IsComplete() && mFileErr == 0) mFileErr = PLAT_NET_CONNRESET;
    return;
  }

  if (mGotWholeHeader && mInBuf.empty()) {
    take_body(*this, readChunk, (size_t)n);  // the usual case: straight from the shared buffer
    return;
  }
  mInBuf.insert(mInBuf.end(), readChunk, readChunk + n);
  if (!mGotWholeHeader) {
    parse_header(*this);
    if (!mGotWholeHeader || mFileErr != 0) return;
  }
  take_body(*this, mInBuf.data(), mInBuf.size());
  mInBuf.clear();
}

// ---------------------------------------------------------------- [status]

int down_class::GetStat() {
  if (!mSocket) return 0;
  // The stored state: DoProcessing has just looked at the connection.
  switch (mSocket->mSocketStatus) {
    case pcsbstatus_Connecting: return 1;
    case pcsbstatus_Error: return 2;
    case pcsbstatus_Disconnected: return 3;
    default: break;
  }
  if (!mOutBuf.empty()) return 4;
  return mGotWholeHeader ? 5 : 6;
}

bool down_class::IsDone() { return GetStat() == 3; }
bool down_class::IsComplete() { return mIncomingLength == mReceivedPayload; }
bool down_class::IsErr() {
  if (mFileErr != 0) return true;
  const int s = GetStat();
  return s == 0 || s == 2;
}
int down_class::GetOSErr() {
  if (mFileErr != 0) return mFileErr;
  if (mSocket) return mSocket->GetOSError();
  return 20009;
}

// ---------------------------------------------------------------- [slots]

static void slot_range_alert(int o) {
  if (o >= 0 && o < 6) return;
  __DOVAVI_alert(0, "Too many download objects requested!", "", "", "", t_exit, "http", 232);
}

// "host:port" into its parts; a name without a valid port after its last ":"
// keeps port 80 and is looked up as written.
static void split_host_port(const std::string& server, std::string& host, unsigned short& port) {
  host = server;
  port = 80;
  const size_t colon = server.rfind(':');
  if (colon == std::string::npos || colon + 1 >= server.size() || server.size() - colon - 1 > 5) return;
  long p = 0;
  for (size_t i = colon + 1; i < server.size(); i++) {
    if (server[i] < '0' || server[i] > '9') return;
    p = p * 10 + (server[i] - '0');
  }
  if (p < 1 || p > 65535) return;
  host = server.substr(0, colon);
  port = (unsigned short)p;
}

static void log_http_error(down_class& d, const std::string& server, const std::string& file,
                           const std::string& rel_path) {
  xer << "HTTP Error for " << rel_path << "\n";
  xer << "   server     =" << server << "\n";
  xer << "   file       =" << file << "\n";
  xer << "   IsDone     =" << (d.IsDone() ? 1 : 0) << "\n";
  xer << "   IsComplete =" << (d.IsComplete() ? 1 : 0) << "\n";
  xer << "   IsErr      =" << (d.IsErr() ? 1 : 0) << "\n";
  xer << "   GetStat    =" << d.GetStat() << "\n";
  xer << "   GetOSErr   =" << d.GetOSErr() << "\n";
  xer << "   response   =" << d.mResponseName << " (#" << d.mResponseNum << ")\n";
  xer << "\n";
}

http_class::~http_class() {
  for (down_class*& d : down) {
    delete d;
    d = nullptr;
  }
}

int http_class::net_check(int o, const std::string& server_in, const std::string& file_in,
                          const std::string& rel_path) {
  slot_range_alert(o);
  if (o < 0 || o >= 6) return 2;
  if (!s_net_started) {
    s_net_started = true;
    for (down_class*& d : down) {
      delete d;
      d = nullptr;
    }
    PCSBSocket::StartupNetworking(true);
  }

  if (!down[o]) {
    std::string server = server_in, file = file_in;
    if (!server.empty() && (server.back() == '/' || server.back() == '\\')) {
      __DOVAVI_alert(0, "net_check error! You have a dirchar at the end of the server name!", "You should not!",
                     "Our convention is that a server name is simply a server name... with no slash!", server,
                     t_exit, "http", 247);
      return 2;
    }
    if (file.empty() || (file[0] != '/' && file[0] != '\\')) {
      __DOVAVI_alert(0, "net_check error! You do not have a dirchar at the beginning of the directory name!",
                     "You should!",
                     "Our convention is that a directory name does start with a slash because it must include "
                     "the hard drive,which is a dir char on unix!",
                     file, t_exit, "http", 248);
      return 2;
    }
    for (char& c : server)
      if (c == '\\') c = '/';
    for (char& c : file)
      if (c == '\\') c = '/';

    std::map<std::string, std::string> fields;
    fields["Host"] = server;
    fields["User-agent"] = http_user_agent();
    fields["Connection"] = "close";
    std::string host;
    unsigned short port;
    split_host_port(server, host, port);
    down[o] = new down_class(host.c_str(), port, file.c_str(), false, fields, nullptr, 0, rel_path.c_str());
  }

  down_class* d = down[o];
  d->DoProcessing();
  if (!d->IsDone() && !d->IsComplete() && !d->IsErr()) {
    if (xtim.real_time > d->last_read_time + kTimeoutSeconds) {
      delete d;
      down[o] = nullptr;
      return 2;
    }
    return 0;
  }

  close_dest(*d);  // before judging: the body is only complete once it is on disk
  int result = 1;
  if (!(d->mResponseNum >= 200 && d->mResponseNum <= 299 && d->IsComplete() && !d->IsErr())) {
    log_http_error(*d, server_in, file_in, rel_path);
    result = 2;
  }
  delete d;
  down[o] = nullptr;
  return result;
}

int http_class::net_abandon(int o) {
  slot_range_alert(o);
  if (o < 0 || o >= 6 || !down[o]) return 0;
  delete down[o];
  down[o] = nullptr;
  return 1;
}

int http_class::net_wake_sockets(unsigned int* sockets, int* for_write, int max) {
  int n = 0;
  for (int o = 0; o < 6; o++) {
    down_class* t = down[o];
    if (!t) continue;
    const int stat = t->GetStat();
    if (stat == 0 || stat == 2 || stat == 3 || t->mFileErr != 0) return -1;
    if (n >= max) continue;
    sockets[n] = t->mSocket->mWinSocket;
    for_write[n] = stat == 1 || stat == 4;
    n++;
  }
  return n;
}
