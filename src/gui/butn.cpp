// Widgets and the keyboard focus ring.
#include "gui/butn.h"

void BTN_unfocus_any() {}
