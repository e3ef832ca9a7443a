// Entry function, the process-wide window handles and the main window.
#include "main.h"

#include <stdio.h>

#include "globals.h"
#include "launch/launch.h"
#include "resource.h"
#include "runtime/java_select.h"
#include "settings.h"
#include "ui/about.h"
#include "ui/paint.h"

HINSTANCE hInst;
HWND hMainDlg;
HWND g_AboutProject;

LRESULT OnInitDialog(HWND hDlg, UINT, WPARAM, LPARAM) {
  Owner_Draw_Button(hDlg, IDC_BTN1);
  Owner_Draw_Button(hDlg, IDC_BTN2);
  Owner_Draw_Button(hDlg, IDC_BTN4);
  Owner_Draw_Static(hDlg, IDC_STC1);
  Owner_Draw_Static(hDlg, IDC_STC2);
  return 0;
}

namespace {
// Commands are told apart by the low word alone.
INT_PTR OnCommand(HWND hDlg, WORD id) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      DestroyWindow(hDlg);
      return 1;
    case IDC_BTN1:
      OnLaunch(hDlg);
      return 0;
    case IDC_BTN2:  // visible through its template style
      g_JavaSelect = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_DLG2), hDlg, JavaSelect_Window_Proc, 0);
      return 0;
    case IDC_BTN4:
      OnAbout(hDlg);
      return 0;
  }
  return 0;
}
}  // namespace

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(hDlg, message, wParam, lParam);
    case WM_COMMAND:
      return OnCommand(hDlg, LOWORD(wParam));
    case WM_CTLCOLORBTN:
      return Button_Draw(hDlg, message, wParam, lParam, 0x0000FF, 0x000000);
    case WM_CTLCOLORSTATIC:
      return Static_Draw(hDlg, message, wParam, lParam);
    case WM_CLOSE:
      DestroyWindow(hDlg);
      return 1;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 1;
  }
  return 0;
}

// Only the newest About window gets dialog keys; the main and selection
// windows get none, so Tab, Enter and Esc mean nothing there.
void RunMessageLoop(GetMessageFn get) {
  MSG msg;
  for (;;) {
    BOOL got = get(&msg, NULL, 0, 0);
    if (got == 0 || got == -1) break;  // quit, or a failed fetch that would repeat for ever
    if (g_AboutProject && IsDialogMessageA(g_AboutProject, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
  InitINIFile();
  hInst = hInstance;
  hMainDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, MainDlgProc, 0);
  if (!hMainDlg) {
    // Without its window nothing could end the program: say so and stop.
    char text[96];
    // NOLINTNEXTLINE(cert-err33-c) fits: 57 bytes at most
    snprintf(text, sizeof text, "The main window could not be created (error %lu).", GetLastError());
    MessageBoxA(NULL, text, "Dovov Quillon", MB_OK | MB_ICONERROR);
    return 1;
  }
  ShowWindow(hMainDlg, nCmdShow);
  RunMessageLoop(GetMessageA);
  ReleasePainters();
  return 0;
}
