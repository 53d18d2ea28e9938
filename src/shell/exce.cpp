// The error record carried between threads.
#include "shell/exce.h"

#include "shell/hl_alert.h"

exce_class::exce_class(const std::string& c1, const std::string& c2, const std::string& c3,
                       const std::string& c4, const char* file, int line, int quit)
    : c1_(c1), c2_(c2), c3_(c3), c4_(c4), file_(file), line_(line), quit_(quit) {}

exce_class::exce_class(const exce_class& other) = default;

exce_class::~exce_class() {}

void exce_class::Report() { __DOVAVI_alert(0, c1_, c2_, c3_, c4_, quit_, file_, line_); }

void exce_class::MakeFatal() { quit_ = t_exit; }
