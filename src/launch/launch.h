// The launch command, run by the main window's launch button (IDC_BTN1).
#pragma once
#include <windows.h>

// Opens a console (or keeps the one the process has), binds standard output
// to it, reports the manifest's name there (failures on standard error,
// which stays where it was), then shows the "Execing" box owned by hDlg.
void OnLaunch(HWND hDlg);
