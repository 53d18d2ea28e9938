// The log header's lines and their order, and a whole normal run of the program
// (its window opened and closed): its log starts with the header and ends with
// the thread pool's stop line.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/plat_debug.h"
#include "shell/UTL_Debug.h"
#include "support/fs_helpers.h"
#include "support/x11_helpers.h"

extern char** environ;

static std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

TEST(LogHeader, LinesInOrder) {
  std::ostringstream out;
  UTL_write_log_header(out);
  std::vector<std::string> l = lines_of(out.str());
  std::vector<PLAT_cpu> cpus;
  PLAT_get_cpus(cpus);
  ASSERT_EQ(11 + cpus.size(), l.size()) << out.str();
  EXPECT_TRUE(std::regex_match(l[0], std::regex("log\\.txt for Vantrel 9\\.00 Beta-17 Installer 90017 compiled on "
                                                "[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}")))
      << l[0];
  EXPECT_EQ("", l[1]);
  EXPECT_EQ(0u, l[2].find("This log file is generated automatically by Talvern Research applications"));
  EXPECT_EQ(0u, l[3].find("If you need to contact tech support or file a bug, please send us this file."));
  EXPECT_EQ("", l[4]);
  EXPECT_TRUE(std::regex_match(l[5], std::regex("Linux [0-9]+\\.[0-9]+ \\(build [0-9]+/[^)]+\\) .+"))) << l[5];
  EXPECT_TRUE(std::regex_match(l[6], std::regex("CPU type: .+"))) << l[6];
  EXPECT_TRUE(std::regex_match(l[7], std::regex("Physical Memory: [1-9][0-9]*"))) << l[7];
  for (size_t i = 0; i < cpus.size(); i++) {
    std::string expect = "CPU 0: ";  // the same label for every processor
    if (!cpus[i].name.empty()) expect += cpus[i].name + " ";
    if (cpus[i].mhz >= 0) expect += " Speed (mhz): " + std::to_string(cpus[i].mhz);
    EXPECT_EQ(expect, l[8 + i]);
  }
  size_t at = 8 + cpus.size();
  EXPECT_EQ("", l[at]);
  EXPECT_EQ("Vantrel-System folder:'', case sensitive=0", l[at + 1]);
  EXPECT_EQ("", l[at + 2]);
}

TEST(LogHeader, PhysicalMemoryLine) {
  EXPECT_EQ("Physical Memory: more than 4 GB.\n", UTL_physical_memory_line(0xFFFFFFFFULL));
  EXPECT_EQ("Physical Memory: 4294967296\n", UTL_physical_memory_line(4294967296ULL));
  EXPECT_EQ("Physical Memory: 536870912\n", UTL_physical_memory_line(536870912ULL));
}

TEST(NormalRun, LogStartsWithTheHeaderAndEndsWithTheThreadStop) {
  // The log goes next to the program, so the program runs from a copy.
  TempDir d;
  ASSERT_EQ(0, run_command("cp " + shell_quote(std::string(VANTREL_BUILD_DIR) + "/vantrel-installer") + " " +
                           shell_quote(d.path())));
  // The window runs until it is closed, as by the window manager.
  make_dirs(d / "home/tmp");
  const std::string program = d / "vantrel-installer", home = "HOME=" + d / "home",
                    config = "XDG_CONFIG_HOME=" + d / "home/config", temp = "TMPDIR=" + d / "home/tmp";
  std::vector<const char*> envp;
  for (char** e = environ; *e; e++)
    if (strncmp(*e, "HOME=", 5) && strncmp(*e, "XDG_CONFIG_HOME=", 16) && strncmp(*e, "TMPDIR=", 7)) envp.push_back(*e);
  for (const std::string* v : {&home, &config, &temp}) envp.push_back(v->c_str());
  envp.push_back(nullptr);
  const char* argv[] = {program.c_str(), "--no_vbos", "--server_list=127.0.0.1:9", nullptr};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addchdir_np(&fa, d.path().c_str());
  pid_t pid;
  ASSERT_EQ(0, posix_spawn(&pid, program.c_str(), &fa, nullptr, (char* const*)argv, (char* const*)envp.data()));
  posix_spawn_file_actions_destroy(&fa);
  unsigned long win = 0;
  for (int i = 0; i < 200 && !win; i++, usleep(50 * 1000)) win = x11_find_window("Vantrel-System", pid);
  if (win) x11_send_close(win);
  int status = -1;
  for (int i = 0; i < 400; i++, usleep(50 * 1000))
    if (waitpid(pid, &status, WNOHANG) == pid) break;
  if (!win || status == -1) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  ASSERT_NE(0u, win) << "the program's window did not appear";
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::string log = read_file(d / "Log.txt");
  EXPECT_EQ(0u, log.find("log.txt for Vantrel 9.00 Beta-17 Installer 90017 compiled on ")) << log;
  // The options, then the graphics (window, capabilities), then the worker threads.
  const size_t options = log.find("', case sensitive=1\n\n     '--no_vbos'\n");
  const size_t graphics = log.find("\nOpenGL Vendor    : ");
  const size_t threads = log.find("\nCPU count        : ");
  EXPECT_NE(std::string::npos, options) << log;
  EXPECT_LT(options, graphics) << log;
  EXPECT_LT(graphics, threads) << log;
  EXPECT_NE(std::string::npos, log.find("\nvbo_avail        : 0\n")) << log;
  const std::string stop = "Clean exit from threads.\n";
  ASSERT_GE(log.size(), stop.size());
  EXPECT_EQ(stop, log.substr(log.size() - stop.size())) << log;
}
