// Checks of the compiled resources (dialog templates, manifest, icon), run
// against any module that carries them: a test program itself, or
// Quillon.exe loaded with LoadLibraryExA(..., LOAD_LIBRARY_AS_DATAFILE).
// Each reports through GoogleTest's non-fatal expectations.
#pragma once
#include <windows.h>

// Every field of the three templates, read back from the raw resource data.
void CheckDialogTemplates(HMODULE module);
// The windows made from the templates: their controls and frames. Needs an
// X display.
void CheckDialogWindows(HMODULE module);
// The application manifest (type 24, id 1).
void CheckManifest(HMODULE module);
// The icon group "A" and the image it points to.
void CheckIconGroup(HMODULE module);
// Resource types, names and languages present, and nothing else.
void CheckResourceDirectory(HMODULE module);
