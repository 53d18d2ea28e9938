// Definitions of the shell's shared flags and strings.
#include "shell/hl_structs.h"

#include <cstdint>

std::string stl_global;
std::string app_path;
std::string dvd_path;
int g_case_sensitive = 0;

int app_done = 0;
int ogl_inited = 0;
int win_started = 0;
int in_alert = 0;
int return_hit = 0;
void* active_inst = nullptr;
int active_windstyle = 0;

static unsigned char scratch_storage[scratch_bytes + 16];
unsigned char* scratch_array =
    (unsigned char*)(((uintptr_t)scratch_storage + 15) & ~(uintptr_t)15);
