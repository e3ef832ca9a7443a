// Process-wide globals, each defined once in the module that writes it.
// All are set and read on the user-interface thread only.
#pragma once
#include <windows.h>

extern HINSTANCE hInst;       // main.cpp: instance the templates come from
extern HWND hMainDlg;         // main.cpp: the main window
extern HWND g_AboutProject;   // main.cpp: newest About window (dialog keys)
extern HWND g_JavaSelect;     // runtime/java_select.cpp: newest selection window
extern char *jvm;             // runtime/java_select.cpp: current java path (designates PATH_JVM)
extern int max_java_count;    // runtime/registry.cpp: sub-key count of the last runtimes key opened
extern WNDPROC link_proc;     // ui/about.cpp: the link's previous window procedure
extern bool g_MouseInClient;  // ui/about.cpp: pointer is over the link
extern HCURSOR hcur;          // ui/about.cpp: the hand cursor, loaded before WinMain
