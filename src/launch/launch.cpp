#include "launch/launch.h"

#include <stdio.h>

#include "launch/manifest.h"

void OnLaunch(HWND hDlg) {
  // Fails when the process already has a console; the existing one is used.
  // The console and the rebound standard output stay for the rest of the run.
  AllocConsole();
  freopen("CONOUT$", "w", stdout);
  ReportManifestName(MANIFEST_PATH, stdout, stderr);
  MessageBoxA(hDlg, "Execing", NULL, MB_OK);
}
