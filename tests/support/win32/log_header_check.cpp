// The checks of a log header written on Windows.
#include "support/win32/log_header_check.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

void expect_windows_log_header(const std::string& text) {
  const std::string shown = text.substr(0, 1500);
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&v);
#pragma GCC diagnostic pop
  std::ostringstream line;
  line << "\nWindows " << v.dwMajorVersion << "." << v.dwMinorVersion << " (build " << v.dwBuildNumber << "/"
       << v.dwPlatformId << ") " << v.szCSDVersion << "\n";
  EXPECT_NE(std::string::npos, text.find(line.str())) << shown;
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  EXPECT_NE(std::string::npos, text.find("\nCPU type: " + std::to_string(si.dwProcessorType) + "\n")) << shown;
  EXPECT_NE(std::string::npos, text.find("\nPhysical Memory: ")) << shown;
  size_t cpus = 0;
  for (size_t at = text.find("\nCPU 0: "); at != std::string::npos; at = text.find("\nCPU 0: ", at + 1)) cpus++;
  EXPECT_EQ((size_t)si.dwNumberOfProcessors, cpus) << "one line per processor key, all labelled 0";
  EXPECT_NE(std::string::npos, text.find("\nVantrel-System folder:'', case sensitive=0\n")) << shown;
}
