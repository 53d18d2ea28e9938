// The record of an error raised on some thread: the four alert lines, where it was
// raised and whether it is fatal. Worker threads queue copies of it for the main
// thread (HL_THREAD), which shows each through the alert.
#pragma once
#include <string>

class exce_class {
 public:
  std::string c1_, c2_, c3_, c4_;  // the alert's four lines
  const char* file_;               // source module of the raise (a string that outlives the record)
  int line_;                       // source line of the raise
  int quit_;                       // t_alert (1) or t_exit (2)

  exce_class(const std::string& c1, const std::string& c2, const std::string& c3,
             const std::string& c4, const char* file, int line, int quit);
  exce_class(const exce_class& other);
  virtual ~exce_class();

  // Shows the error: __DOVAVI_alert with return window 0. Call it on the main
  // thread; a fatal record ends the process there.
  void Report();
  // Makes the record fatal (quit_ = t_exit).
  void MakeFatal();
};
