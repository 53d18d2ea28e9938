// The window-manager state.
#include "shell/hl_mnw.h"

mnw_class::mnw_class() {}

mnw_class mnw;
