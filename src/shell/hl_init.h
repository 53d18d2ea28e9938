// Start-up, the frame and shutdown of the program.
#pragma once

// One-time start-up. argv[0] is the raw command-line text (not the program path).
void DOVAVI_init(int argc, char** argv);
// Tear-down: 1 after the main loop, 0 from a fatal alert (nothing is saved then).
void DOVAVI_finishup(int is_normal_exit);

// A pseudo-random integer 0..32767 from the C generator (seeded at start-up),
// whatever the generator's own range is on this system.
int UTL_rand15();
