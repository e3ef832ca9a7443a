// The floor of the start-up and memory benchmarks: the main window's template
// (101) shown by a dialog procedure that does nothing, and a plain message
// loop. Built with Quillon.exe's flags and resources, so what Quillon.exe
// costs beyond it is what its own code adds.
#include <windows.h>

#include "resource.h"

namespace {
INT_PTR CALLBACK BareDlgProc(HWND hDlg, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(hDlg);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}
}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
  HWND dlg = CreateDialogParamA(hInstance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, BareDlgProc, 0);
  if (!dlg) return 1;
  ShowWindow(dlg, nCmdShow);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
