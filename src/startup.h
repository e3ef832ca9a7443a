// What runs before anything else of the program: the DLL search kept to
// System32, and the canary that stack-protected functions check.
#pragma once

// The executable's entry point (the linker's -e): hardens the process, then
// hands over to the C runtime's start-up, which runs static initialisation
// and WinMain. Never returns.
extern "C" int QuillonStartup(void);
