#include "launch/launch.h"

#include <stdio.h>

#include "launch/manifest.h"

void OnLaunch(HWND hDlg) {
  // Fails when the process already has a console; the existing one is used.
  // The console and the rebound standard output stay for the rest of the run.
  AllocConsole();
  // Not tested: should it fail, stdout stays closed and the name goes unshown.
  freopen("CONOUT$", "w", stdout);  // NOLINT(cert-err33-c) nothing better to do than go on
  ReportManifestName(MANIFEST_PATH, stdout, stderr);
  MessageBoxA(hDlg, "Execing", NULL, MB_OK);
}
