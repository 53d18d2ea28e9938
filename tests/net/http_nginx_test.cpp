// The HTTP client end to end against a real nginx on loopback: several files in
// one slot, four slots at once, a missing file, names with spaces, and what the
// server saw of our requests.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "net/http.h"
#include "net_test_util.h"
#include "support/nginx_fixture.h"

namespace {

struct served_file {
  std::string path;  // below the server's root, starting with "/"
  size_t size;
};

class HttpNginx : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    make_dirs(root / "sub dir");
    make_dirs(root / "m/v1");
    unsigned seed = 1;
    for (const served_file& f : files) write_file(root.path() + f.path.substr(1), random_bytes(f.size, seed++));
  }

  // Runs the transfers of `paths` in slots first_slot, first_slot + 1, ... at
  // once, each slot polled once per round as the frame loop does. Returns the
  // results; *most_at_once gets the largest number of slots seen receiving a body
  // in the same round.
  std::vector<int> download_together(const NginxServer& srv, const std::vector<std::string>& paths, int first_slot,
                                     int* most_at_once = nullptr) {
    std::vector<int> result(paths.size(), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    size_t running = paths.size();
    while (running > 0 && std::chrono::steady_clock::now() < deadline) {
      int receiving = 0;
      for (size_t i = 0; i < paths.size(); i++) {
        if (result[i] != 0) continue;
        const int slot = first_slot + (int)i;
        result[i] = http.net_check(slot, srv.host(), paths[i], local_for(paths[i]));
        if (result[i] != 0) {
          running--;
        } else if (http.down[slot]->mGotWholeHeader) {
          receiving++;
          // The progress the screens show: known length, bytes in so far.
          EXPECT_GE(http.down[slot]->mIncomingLength, http.down[slot]->mReceivedPayload);
        }
      }
      if (most_at_once && receiving > *most_at_once) *most_at_once = receiving;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return result;
  }

  std::string local_for(const std::string& path) {
    std::string name = path.substr(1);
    for (char& c : name)
      if (c == '/') c = '_';
    return dl / name;
  }

  TempDir root, dl;
  const std::vector<served_file> files = {
      {"/a.bin", 300000},
      {"/sub dir/file with spaces.zip", 1000000},
      {"/empty.txt", 0},
      {"/m/v1/b.zip", 2500000},
      {"/m/v1/c d.zip", 2000000},
      {"/m/v1/e.zip", 2000000},
  };
};

TEST_F(HttpNginx, SeveralFilesOneAfterAnotherInOneSlot) {
  NginxServer srv(root.path());
  ASSERT_TRUE(srv.ok());
  for (const served_file& f : files) {
    EXPECT_EQ(1, run(1, srv.host(), f.path, local_for(f.path))) << f.path;
    EXPECT_EQ(md5sum_of(root.path() + f.path.substr(1)), md5sum_of(local_for(f.path))) << f.path;
    EXPECT_EQ(nullptr, http.down[1]);
  }
  EXPECT_EQ("", log_text());
  const std::string access = read_file(srv.access_log());
  EXPECT_NE(std::string::npos, access.find("\"GET /sub%20dir/file%20with%20spaces.zip HTTP/1.1\" 200 1000000"))
      << access;
  EXPECT_NE(std::string::npos, access.find("\"Installer-IBM/a-17\"")) << access;
}

TEST_F(HttpNginx, FourSlotsAtOnce) {
  // Throttled so that every transfer takes about half a second: long enough for
  // all four to be in flight together.
  NginxServer srv(root.path(), 4000000);
  ASSERT_TRUE(srv.ok());
  const std::vector<std::string> paths = {"/m/v1/b.zip", "/m/v1/c d.zip", "/m/v1/e.zip",
                                          "/sub dir/file with spaces.zip"};
  int most = 0;
  const std::vector<int> results = download_together(srv, paths, 2, &most);
  EXPECT_EQ(std::vector<int>(4, 1), results);
  EXPECT_EQ(4, most) << "all four transfers received their bodies side by side";
  for (const std::string& p : paths) EXPECT_EQ(md5sum_of(root.path() + p.substr(1)), md5sum_of(local_for(p))) << p;
  EXPECT_EQ("", log_text());
}

TEST_F(HttpNginx, MissingFileBesideGoodOnes) {
  NginxServer srv(root.path());
  ASSERT_TRUE(srv.ok());
  const std::vector<std::string> paths = {"/a.bin", "/m/v1/missing file.zip", "/m/v1/b.zip", "/sub dir/"};
  const std::vector<int> results = download_together(srv, paths, 2);
  EXPECT_EQ((std::vector<int>{1, 2, 1, 2}), results) << "a folder is not a file: no listing";
  EXPECT_EQ(md5sum_of(root / "a.bin"), md5sum_of(local_for("/a.bin")));
  EXPECT_EQ(md5sum_of(root / "m/v1/b.zip"), md5sum_of(local_for("/m/v1/b.zip")));
  const std::string log = log_text();
  EXPECT_NE(std::string::npos, log.find("HTTP Error for " + local_for("/m/v1/missing file.zip") +
                                        "\n   server     =" + srv.host() +
                                        "\n   file       =/m/v1/missing file.zip\n   IsDone     =1\n"
                                        "   IsComplete =1\n   IsErr      =0\n   GetStat    =3\n   GetOSErr   =0\n"
                                        "   response   =Not Found (#404)\n\n"))
      << log;
  EXPECT_NE(std::string::npos, log.find("(#403)")) << log;
  EXPECT_NE(std::string::npos, read_file(local_for("/m/v1/missing file.zip")).find("404 Not Found"))
      << "the error page went to the file, as any body does";
}

}  // namespace
