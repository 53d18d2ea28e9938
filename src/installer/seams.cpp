// Default user-interface seams of the engine: no screen, every question declined.
#include "installer/seams.h"

static void no_progress(float, float, float, int, const std::string&, const std::string&) {}
static int cancel_prompt(const std::string&, int) { return 3; }
static int decline_licence() { return 0; }

void (*dir_progress_bar)(float, float, float, int, const std::string&, const std::string&) = no_progress;
int (*select_alert)(const std::string&, int) = cancel_prompt;
int (*handle_EULA)() = decline_licence;
