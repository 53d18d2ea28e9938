// vantrel-installer.exe: the program on Windows. Its entry point is the
// installer's WinMain (installer/main.cpp): the compiler gives that name C
// linkage, as it does main, and the system calls it with the instance, no
// previous instance, the raw command-line text after the program's name and the
// show-command, which is exactly the installer's parameter list. This file only
// gives the program target a source of its own; the entry comes from the library.
