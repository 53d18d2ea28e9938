// The HTTP client against the scripted loopback server: exact request bytes, the
// header parser, body limits, failures and their log block, the time-out on the
// stepped frame clock, the proxy form, partial writes, abandoning a slot, alerts.
#include <gtest/gtest.h>

#include <cerrno>

#include "net/http.h"
#include "net_test_util.h"
#include "shell/hl_alert.h"
#include "support/script_server.h"

static std::string get_request(const std::string& target, const std::string& host) {
  return "GET " + target + " HTTP/1.1\r\nConnection: close\r\nHost: " + host +
         "\r\nUser-agent: Installer-IBM/a-17\r\n\r\n";
}

static const char kOk0[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";

using HttpProtocol = NetTest;

TEST_F(HttpProtocol, RequestBytesAreExact) {
  const struct {
    const char* path;    // as the caller gives it
    const char* target;  // as it goes on the request line
  } cases[] = {
      {"/a/b c.txt.zip", "/a/b%20c.txt.zip"},
      {"/x+y&z#%[]~'.zip", "/x+y&z#%[]~'.zip"},  // nothing else is escaped
      {"\\dir\\sub dir\\f.zip", "/dir/sub%20dir/f.zip"},
  };
  for (const auto& c : cases) {
    ScriptServer srv;
    srv.add_connection({step_send(kOk0)});
    EXPECT_EQ(1, run(2, srv.host(), c.path, dir / "out")) << c.path;
    EXPECT_EQ(get_request(c.target, srv.host()), srv.request(0)) << c.path;
    EXPECT_EQ(nullptr, http.down[2]) << "the slot is empty after the result";
  }
  EXPECT_EQ("Installer-IBM/a-17", http_user_agent());
}

TEST_F(HttpProtocol, ResponsesInOneReceive) {
  const struct {
    const char* name;
    std::string response;
    int result;
    std::string file;   // what the local file holds afterwards
    std::string log;    // a line of the error block, "" when nothing is logged
  } cases[] = {
      {"plain", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 1, "hello", ""},
      {"interim response with the final one behind it",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 1, "hello", ""},
      {"field names in lower case", "HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nhello", 1, "hello", ""},
      {"field names in capitals", "HTTP/1.1 200 OK\r\nCONTENT-LENGTH: 5\r\n\r\nhello", 1, "hello", ""},
      {"length zero", kOk0, 1, "", ""},
      {"length with blanks", "HTTP/1.1 200 OK\r\nContent-Length:  5 \r\n\r\nhello", 1, "hello", ""},
      {"repeated field: the first wins", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 5\r\n\r\nhello",
       1, "hel", ""},
      {"repeated field in another case", "HTTP/1.1 200 OK\r\ncontent-length: 3\r\nContent-Length: 5\r\n\r\nhello",
       1, "hel", ""},
      {"bytes past the length are dropped", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhello world", 1, "he", ""},
      {"other fields and lines", "HTTP/1.1 206 Partial\r\nServer: x\r\nnot a field\r\nX-A:b\r\nContent-Length: 2\r\n\r\nok",
       1, "ok", ""},
      {"14-character status line", "HTTP/1.1 200 O\r\nContent-Length: 2\r\n\r\nok", 1, "ok", ""},
      {"404 with a body", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!", 2, "not here!",
       "   response   =Not Found (#404)\n"},
      {"redirect", "HTTP/1.1 301 Moved Permanently\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n", 2, "",
       "   response   =Moved Permanently (#301)\n"},
      {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nhello", 2, "", "   GetOSErr   =74\n"},
      {"length not a number", "HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\nhello", 2, "", "   GetOSErr   =74\n"},
      {"empty length", "HTTP/1.1 200 OK\r\nContent-Length: \r\n\r\nhello", 2, "", "   GetOSErr   =74\n"},
      {"length too large to count",
       "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nhello", 2, "", "   GetOSErr   =74\n"},
  };
  for (const auto& c : cases) {
    ScriptServer srv;
    srv.add_connection({step_send(c.response)});
    const std::string out = dir / "out";
    remove(out.c_str());
    const size_t log_before = log_text().size();
    EXPECT_EQ(c.result, run(3, srv.host(), "/f", out)) << c.name;
    EXPECT_EQ(c.file, read_file(out)) << c.name;
    const std::string logged = log_text().substr(log_before);
    if (c.log.empty())
      EXPECT_EQ("", logged) << c.name;
    else
      EXPECT_NE(std::string::npos, logged.find(c.log)) << c.name << "\n" << logged;
  }
}

TEST_F(HttpProtocol, ErrorBlockInTheLog) {
  ScriptServer srv;
  srv.add_connection({step_send("HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!")});
  const std::string out = dir / "x.zip";
  EXPECT_EQ(2, run(4, srv.host(), "/m/x.zip", out));
  EXPECT_EQ("HTTP Error for " + out + "\n   server     =" + srv.host() +
                "\n   file       =/m/x.zip\n   IsDone     =1\n   IsComplete =1\n   IsErr      =0\n"
                "   GetStat    =3\n   GetOSErr   =0\n   response   =Not Found (#404)\n\n",
            log_text());
}

TEST_F(HttpProtocol, HeaderSplitOverManyReceives) {
  const std::vector<std::string> chunks = {
      "HTT", "P/1.1 200 OK\r", "\nContent-Le", "ngth: 10\r\n", "\r", "\nhello", "world"};
  ScriptServer srv;
  std::vector<script_step> steps;
  for (const auto& c : chunks) {
    steps.push_back(step_gate());
    steps.push_back(step_send(c));
  }
  srv.add_connection(steps);
  const std::string out = dir / "out";
  ASSERT_EQ(0, http.net_check(2, srv.host(), "/f", out));
  for (size_t i = 0; i < chunks.size(); i++) {
    srv.release();
    ASSERT_TRUE(srv.wait_steps(0, 2 * (int)(i + 1)));
    down_class* d = http.down[2];
    ASSERT_NE(nullptr, d);
    ASSERT_TRUE(wait_fd_readable(d->mSocket->mWinSocket, 2000));
    const int r = http.net_check(2, srv.host(), "/f", out);
    if (i + 1 < chunks.size()) {
      ASSERT_EQ(0, r) << "after chunk " << i;
      const bool header_done = i >= 5;
      EXPECT_EQ(header_done, d->mGotWholeHeader) << "after chunk " << i;
      EXPECT_EQ(header_done ? 5 : 6, d->GetStat()) << "after chunk " << i;
      if (i == 1) {
        EXPECT_EQ(-1, d->mResponseNum) << "a CR without its LF ends no line";
      }
      if (i == 2) {
        EXPECT_EQ(200, d->mResponseNum) << "the status line is parsed once its CR LF is in";
      }
    } else {
      EXPECT_EQ(1, r);
    }
    if (i == 5) {
      EXPECT_EQ(10, d->mIncomingLength);
      EXPECT_EQ(5, d->mReceivedPayload) << "body bytes in the header's last receive are written";
      EXPECT_EQ("hello", read_file(out));
    }
  }
  EXPECT_EQ("helloworld", read_file(out));
}

TEST_F(HttpProtocol, InterimResponseInItsOwnReceive) {
  ScriptServer srv;
  // A field of the interim response must not stand in for the final one's.
  srv.add_connection({step_send("HTTP/1.1 100 Continue\r\nContent-Length: 0\r\n\r\n"), step_gate(),
                      step_send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
  const std::string out = dir / "out";
  ASSERT_EQ(0, http.net_check(2, srv.host(), "/f", out));
  ASSERT_TRUE(srv.wait_steps(0, 1));
  down_class* d = http.down[2];
  ASSERT_TRUE(wait_fd_readable(d->mSocket->mWinSocket, 2000));
  ASSERT_EQ(0, http.net_check(2, srv.host(), "/f", out));
  EXPECT_EQ(100, d->mResponseNum);
  EXPECT_FALSE(d->mGotWholeHeader);
  EXPECT_EQ(nullptr, d->mDestFile) << "an interim header opens no file";
  srv.release();
  EXPECT_EQ(1, run(2, srv.host(), "/f", out));
  EXPECT_EQ("ok", read_file(out));
}

TEST_F(HttpProtocol, HeaderIsBounded) {
  std::string fields;
  while (fields.size() <= 65536) fields += "X-Padding: " + std::string(100, 'p') + "\r\n";
  std::string almost;
  while (almost.size() < 60000) almost += "X-Padding: " + std::string(100, 'p') + "\r\n";
  const struct {
    const char* name;
    std::string response;
    int result;
  } cases[] = {
      {"many fields", "HTTP/1.1 200 OK\r\n" + fields, 2},
      {"one endless line", "HTTP/1.1 200 OK\r\nX-Long: " + std::string(70000, 'x'), 2},
      {"endless interim responses", [] {
         std::string s;
         while (s.size() <= 65536) s += "HTTP/1.1 100 Continue\r\n\r\n";
         return s;
       }(), 2},
      {"a header past the limit that ends", "HTTP/1.1 200 OK\r\n" + fields + "Content-Length: 2\r\n\r\nok", 2},
      {"a large header that ends", "HTTP/1.1 200 OK\r\n" + almost + "Content-Length: 2\r\n\r\nok", 1},
  };
  for (const auto& c : cases) {
    ScriptServer srv;
    srv.add_connection({step_send(c.response), step_hold()});
    const size_t log_before = log_text().size();
    EXPECT_EQ(c.result, run(2, srv.host(), "/f", dir / "out")) << c.name << ": without waiting for the clock";
    if (c.result == 2) {
      EXPECT_NE(std::string::npos, log_text().find("   GetOSErr   =90\n", log_before)) << c.name;
    }
  }
}

TEST_F(HttpProtocol, ThirteenCharacterStatusLineIsNoStatusLine) {
  ScriptServer srv;
  srv.add_connection({step_send("HTTP/1.1 200 \r\nContent-Length: 2\r\n\r\nok"), step_hold()});
  const std::string out = dir / "out";
  ASSERT_EQ(0, pump(2, srv.host(), "/f", out, [](down_class& d) { return d.mInBuf.size() == 2; }));
  EXPECT_EQ(-1, http.down[2]->mResponseNum);
  EXPECT_FALSE(http.down[2]->mGotWholeHeader);
  step_clock(30.5);
  EXPECT_EQ(2, http.net_check(2, srv.host(), "/f", out));
  EXPECT_EQ("", log_text()) << "a time-out is not logged";
}

TEST_F(HttpProtocol, StallTimesOutOnTheFrameClock) {
  ScriptServer srv;
  srv.add_connection({step_send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789"), step_gate(),
                      step_send("abc"), step_hold()});
  const std::string out = dir / "out";
  ASSERT_EQ(0, pump(2, srv.host(), "/f", out, [](down_class& d) { return d.mReceivedPayload == 10; }));
  step_clock(29);
  EXPECT_EQ(0, http.net_check(2, srv.host(), "/f", out));
  srv.release();  // body data 29 s after the last: the time-out starts again
  ASSERT_TRUE(srv.wait_steps(0, 3));
  ASSERT_TRUE(wait_fd_readable(http.down[2]->mSocket->mWinSocket, 2000));
  EXPECT_EQ(0, http.net_check(2, srv.host(), "/f", out));
  EXPECT_EQ(13, http.down[2]->mReceivedPayload);
  step_clock(29.5);
  EXPECT_EQ(0, http.net_check(2, srv.host(), "/f", out));
  step_clock(1);
  EXPECT_EQ(2, http.net_check(2, srv.host(), "/f", out));
  EXPECT_EQ(nullptr, http.down[2]);
  EXPECT_EQ("0123456789abc", read_file(out));
  EXPECT_EQ("", log_text());
}

TEST_F(HttpProtocol, NoHeaderWithinThirtySecondsOfTheStart) {
  ScriptServer srv;
  srv.add_connection({step_hold()});
  EXPECT_EQ(0, http.net_check(2, srv.host(), "/f", dir / "out"));
  step_clock(20);
  EXPECT_EQ(0, http.net_check(2, srv.host(), "/f", dir / "out"));
  step_clock(10.5);
  EXPECT_EQ(2, http.net_check(2, srv.host(), "/f", dir / "out"));
  EXPECT_EQ("", log_text());
}

TEST_F(HttpProtocol, ServerThatDiesInTheMiddleOfAFile) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
  const std::string half(500, 'h');
  {  // An orderly close before the announced length: no more bytes can come, so
     // the transfer fails at once instead of waiting out the time-out.
    ScriptServer srv;
    srv.add_connection({step_send(head + half), step_close()});
    const std::string out = dir / "fin";
    EXPECT_EQ(2, run(2, srv.host(), "/f", out));
    EXPECT_EQ(half, read_file(out));
    const std::string log = log_text();
    EXPECT_NE(std::string::npos, log.find("HTTP Error for " + out)) << log;
    EXPECT_NE(std::string::npos, log.find("   IsErr      =1\n")) << log;
    EXPECT_NE(std::string::npos, log.find("   GetOSErr   =10054\n")) << log;
  }
  {  // A reset: the connection is lost, which fails the transfer at once.
    ScriptServer srv;
    srv.add_connection({step_send(head + half), step_pause(50), step_reset()});
    EXPECT_EQ(2, run(2, srv.host(), "/f", dir / "rst"));
    const std::string log = log_text();
    EXPECT_NE(std::string::npos, log.find("HTTP Error for " + dir / "rst")) << log;
    EXPECT_NE(std::string::npos, log.find("   IsComplete =0\n   IsErr      =0\n   GetStat    =3\n")) << log;
  }
}

TEST_F(HttpProtocol, RefusedConnection) {
  const std::string server = "127.0.0.1:" + std::to_string(loopback_free_port());
  EXPECT_EQ(2, run(5, server, "/f", dir / "out"));
  EXPECT_NE(std::string::npos, log_text().find("   GetStat    =3\n   GetOSErr   =0\n   response   = (#-1)\n"))
      << log_text();
  EXPECT_FALSE(file_exists(dir / "out"));
}

TEST_F(HttpProtocol, UnresolvableNameFailsAtOnce) {
  const struct {
    const char* server;
    const char* translated;
  } cases[] = {
      {"nosuch.invalid", "Translated server nosuch.invalid to IP addy: 0.0.0.0 and port = 80\n"},
      {"nosuch.invalid:8080", "Translated server nosuch.invalid to IP addy: 0.0.0.0 and port = 8080\n"},
  };
  for (const auto& c : cases) {
    const size_t before = log_text().size();
    EXPECT_EQ(2, http.net_check(0, c.server, "/serverlist.txt", dir / "list")) << "on the first call";
    EXPECT_EQ(c.translated + std::string("HTTP Error for ") + (dir / "list") + "\n   server     =" + c.server +
                  "\n   file       =/serverlist.txt\n   IsDone     =0\n   IsComplete =0\n   IsErr      =1\n"
                  "   GetStat    =0\n   GetOSErr   =20011\n   response   = (#0)\n\n",
              log_text().substr(before));
  }
}

TEST_F(HttpProtocol, ProxyRequestLineAndConnection) {
  ScriptServer proxy;
  proxy.add_connection({step_send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
  http.ProxyHost = "127.0.0.1";
  http.ProxyPort_int = proxy.port();
  EXPECT_TRUE(UseProxy("anything", 1));
  // The mirror's name is never looked up: only the proxy's is.
  EXPECT_EQ(1, run(2, "mirror.invalid:8080", "/p/q r.zip", dir / "out"));
  EXPECT_EQ("GET http://mirror.invalid:8080/p/q%20r.zip HTTP/1.1\r\nConnection: close\r\n"
            "Host: mirror.invalid:8080\r\nUser-agent: Installer-IBM/a-17\r\n\r\n",
            proxy.request(0));
  EXPECT_EQ("ok", read_file(dir / "out"));
}

TEST_F(HttpProtocol, IncompleteProxySettingsAreIgnored) {
  const struct {
    const char* host;
    int port;
  } cases[] = {{"nosuch.invalid", 0}, {"", 1}};
  for (const auto& c : cases) {
    ScriptServer srv;
    srv.add_connection({step_send(kOk0)});
    http.ProxyHost = c.host;
    http.ProxyPort_int = c.port;
    EXPECT_FALSE(UseProxy(c.host, (unsigned short)c.port));
    EXPECT_EQ(1, run(2, srv.host(), "/f", dir / "out")) << c.host;
    EXPECT_EQ(get_request("/f", srv.host()), srv.request(0));
  }
}

TEST_F(HttpProtocol, LargeRequestGoesOutInPartialWrites) {
  ScriptServer srv(4096);
  srv.add_connection({step_gate(), step_read_request(), step_send(kOk0)}, false);
  const std::string path = "/" + std::string(16 << 20, 'p');
  const std::string expected = get_request(path, srv.host());
  ASSERT_EQ(0, http.net_check(2, srv.host(), path, dir / "out"));
  for (int i = 0; i < 20; i++) ASSERT_EQ(0, http.net_check(2, srv.host(), path, dir / "out"));
  const size_t left = http.down[2]->mOutBuf.size();
  EXPECT_GT(left, 0u) << "the server reads nothing yet";
  EXPECT_LT(left, expected.size()) << "part of the request has gone out";
  EXPECT_EQ(4, http.down[2]->GetStat());
  srv.release();
  EXPECT_EQ(1, run(2, srv.host(), path, dir / "out"));
  EXPECT_TRUE(srv.request(0) == expected) << "the request arrives whole and in order";
}

TEST_F(HttpProtocol, PeerThatClosesDuringTheRequestNeverRaisesSigpipe) {
  // The server goes away without reading: the kernel answers the request's bytes
  // with a reset, and the next send hits a connection that is gone.
  ScriptServer srv(4096);
  srv.add_connection({step_reset()}, false);
  const std::string path = "/" + std::string(16 << 20, 'p');
  EXPECT_EQ(2, run(2, srv.host(), path, dir / "out"));
  EXPECT_NE(std::string::npos, log_text().find("   GetStat    =3\n")) << log_text();
}

TEST_F(HttpProtocol, AbandonedSlotIsEmptyAndStartsAfresh) {
  ScriptServer srv;
  srv.add_connection({step_send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), step_hold()});
  srv.add_connection({step_send("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nnew")});
  const std::string out = dir / "3.zip";
  ASSERT_EQ(0, pump(4, srv.host(), "/f", out, [](down_class& d) { return d.mReceivedPayload == 3; }));
  EXPECT_EQ(1, http.net_abandon(4));
  EXPECT_EQ(nullptr, http.down[4]);
  EXPECT_EQ(0, http.net_abandon(4));
  EXPECT_EQ("abc", read_file(out)) << "the partial file is closed and left for the caller";
  EXPECT_EQ(0, remove(out.c_str()));
  EXPECT_EQ(1, run(4, srv.host(), "/g", out));
  EXPECT_EQ(2, srv.connections());
  EXPECT_EQ(get_request("/g", srv.host()), srv.request(1));
  EXPECT_EQ("new", read_file(out));
  EXPECT_EQ("", log_text()) << "abandoning is not a failure";
}

TEST_F(HttpProtocol, LocalFileFailures) {
  const std::string response = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
  struct {
    std::string path;
    std::string log;
  } cases[] = {
      {dir / "no/such/folder/out", "   GetOSErr   =" + std::to_string(ENOENT) + "\n"},
      {"/dev/full", "   GetOSErr   =" + std::to_string(ENOSPC) + "\n"},  // writes fail: the disk is full
  };
  for (const auto& c : cases) {
    if (!file_exists(c.path) && c.path == "/dev/full") continue;
    ScriptServer srv;
    srv.add_connection({step_send(response)});
    const size_t before = log_text().size();
    EXPECT_EQ(2, run(2, srv.host(), "/f", c.path)) << c.path;
    EXPECT_NE(std::string::npos, log_text().find(c.log, before)) << c.path << "\n" << log_text();
  }
}

TEST_F(HttpProtocol, ProgrammingErrorsEndTheProgram) {
  const struct {
    int slot;
    const char* server;
    const char* file;
    const char* first_line;
    int line;
  } cases[] = {
      {6, "h", "/f", "Too many download objects requested!", 232},
      {-1, "h", "/f", "Too many download objects requested!", 232},
      {1, "h/", "/f", "net_check error! You have a dirchar at the end of the server name!", 247},
      {1, "h\\", "/f", "net_check error! You have a dirchar at the end of the server name!", 247},
      {1, "h", "f", "net_check error! You do not have a dirchar at the beginning of the directory name!", 248},
      {1, "h", "", "net_check error! You do not have a dirchar at the beginning of the directory name!", 248},
  };
  for (const auto& c : cases) {
    try {
      http.net_check(c.slot, c.server, c.file, dir / "out");
      ADD_FAILURE() << "no alert for " << c.first_line;
    } catch (const alert_raised& a) {
      EXPECT_EQ(c.first_line, a.s1);
      EXPECT_EQ(t_exit, a.type);
      EXPECT_EQ("http", a.file);
      EXPECT_EQ(c.line, a.line);
      if (c.line == 247) {
        EXPECT_EQ("You should not!", a.s2);
        EXPECT_EQ("Our convention is that a server name is simply a server name... with no slash!", a.s3);
        EXPECT_EQ(c.server, a.s4);
      }
      if (c.line == 248) {
        EXPECT_EQ("You should!", a.s2);
        EXPECT_EQ("Our convention is that a directory name does start with a slash because it must include the "
                  "hard drive,which is a dir char on unix!",
                  a.s3);
        EXPECT_EQ(c.file, a.s4);
      }
    }
  }
  EXPECT_THROW(http.net_abandon(6), alert_raised);
}

TEST(HttpFields, NamesCompareWithoutCase) {
  http_field_less less;
  EXPECT_FALSE(less("Content-Length", "content-length"));
  EXPECT_FALSE(less("content-length", "CONTENT-LENGTH"));
  EXPECT_TRUE(less("a", "B"));
  EXPECT_TRUE(less("B", "c"));
  EXPECT_TRUE(less("Host", "host-x"));
}

TEST_F(HttpProtocol, RequestWithBodyAndExtraFieldsInByteOrder) {
  ScriptServer srv;
  srv.add_connection({step_send(kOk0)});
  const std::string expected =
      "POST /u%20p HTTP/1.1\r\nB: 2\r\nHost: h\r\na: 1\r\nContent-Length: 3\r\n\r\nxyz";
  {
    down_class d("127.0.0.1", (unsigned short)srv.port(), "/u p", true, {{"a", "1"}, {"B", "2"}, {"Host", "h"}},
                 "xyz", 3, (dir / "post").c_str());
    EXPECT_EQ(-1, d.mResponseNum);
    for (int i = 0; i < 100000 && !d.mOutBuf.empty() && d.GetStat() != 3; i++) d.DoProcessing();
    EXPECT_TRUE(d.mOutBuf.empty());
  }
  for (int i = 0; i < 500 && srv.request(0).size() < expected.size(); i++) srv.wait_steps(0, 99, 10);
  EXPECT_EQ(expected, srv.request(0));
}
