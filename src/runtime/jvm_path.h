// Turns the n-th registered Java runtime into the path of its executable.
#pragma once

#define PATH_LEN 512

// The resolver's buffer: rewritten by every getJvmPath_v2 call, lives for the
// whole run, never freed by callers.
extern char PATH_JVM[PATH_LEN];
extern const char *const DIR_JVM[2];

// Path of bin\java.exe, else bin\javaw.exe, of runtime xth_visit (plain view
// first, then Wow6432Node), or the empty text. Returns PATH_JVM.
char *getJvmPath_v2(int xth_visit);
