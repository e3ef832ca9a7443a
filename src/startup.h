// What runs before anything else of the program: the DLL search kept to
// System32, and the canary that stack-protected functions check.
#pragma once

// The executable's entry point (the linker's -e): hardens the process, then
// hands over to the C runtime's start-up, which runs static initialisation
// and WinMain. Never returns.
extern "C" int QuillonStartup(void);

// DLLs loaded by name from now on come from System32 only, never from the
// program's folder (a Downloads folder where anyone can drop a uxtheme.dll).
// Where SetDefaultDllDirectories is missing (Vista, and 7 without
// KB2533623) only the current folder is taken out of the search.
void RestrictDllSearch(void);

// A fresh value for the canary. Only from a function with no protected frame
// below it on the stack, before any protected function runs.
void InitStackGuard(void);
