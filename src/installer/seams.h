// The engine's few ways to reach the user. Each is a pointer that the window
// program, the headless mode or a test sets to its own screen; the defaults show
// nothing and decline (so an engine without a user interface changes nothing it
// was not told to).
#pragma once
#include <string>

// Shows the directory reader's progress: d between d1 and d2; call_type 0 while
// reading the file, 1 while examining the disk; `rel_path_exp` the current item.
extern void (*dir_progress_bar)(float d1, float d, float d2, int call_type, const std::string& message1,
                                const std::string& rel_path_exp);
// Asks about a file the user changed. 1 replace or delete it, 2 keep it, 3 cancel
// the installation, 4 replace or delete every changed file of its folder, 5 keep
// them all. `is_gone` chooses the delete wording.
extern int (*select_alert)(const std::string& dest_path_exp, int is_gone);
// Shows the licence agreement; 1 when the user accepted it.
extern int (*handle_EULA)();
