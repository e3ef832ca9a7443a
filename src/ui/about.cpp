#include "ui/about.h"

#include <shellapi.h>

#include "globals.h"
#include "resource.h"
#include "ui/boxes.h"
#include "ui/paint.h"

WNDPROC link_proc;
bool g_MouseInClient = false;
// Loaded before WinMain runs. A shared system cursor: nobody destroys it.
HCURSOR hcur = LoadCursorA(NULL, IDC_HAND);

namespace {

void InitAbout(HWND hDlg) {
  Owner_Draw_Static(hDlg, IDC_STC4);
  Owner_Draw_Static_Link(hDlg, IDC_STC5);  // shows the last-error box
  HWND link = GetDlgItem(hDlg, IDC_STC5);
  // Through a typed pointer, so that the compiler checks the calling
  // convention (the cast to LONG_PTR would hide a missing CALLBACK).
  WNDPROC proc = LINK_Proc;
  link_proc = (WNDPROC)SetWindowLongPtrA(link, GWLP_WNDPROC, (LONG_PTR)proc);
  GetError();
  alert_number((int)(INT_PTR)link);
}

// Asks for WM_MOUSELEAVE once the pointer leaves the link. The structure is
// 16 bytes in the 32-bit program, 24 in the 64-bit build.
void TrackLeave(HWND hwnd) {
  TRACKMOUSEEVENT tme = {};
  tme.cbSize = sizeof tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = hwnd;
  tme.dwHoverTime = 0;
  TrackMouseEvent(&tme);
}

}  // namespace

void OnAbout(HWND hDlg) {
  debugger(520);
  g_AboutProject = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_DLG3), hDlg, About_Proc, 0);
  ShowWindow(g_AboutProject, SW_SHOW);
}

// Commands, IDOK and IDCANCEL included, are not answered: Enter and Esc do
// nothing here, and the window closes only through its close box.
INT_PTR CALLBACK About_Proc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitAbout(hDlg);
      return 1;
    case WM_CTLCOLORSTATIC:
      if ((HWND)lParam == GetDlgItem(hDlg, IDC_STC5)) return Static_Link_Draw(hDlg, message, wParam, lParam);
      return Static_English_Draw(hDlg, message, wParam, lParam);
    case WM_CLOSE:
      DestroyWindow(hDlg);
      return 0;
    case WM_DESTROY:
      ShowWindow(hMainDlg, SW_SHOW);
      return 0;
  }
  return 0;
}

LRESULT CALLBACK LINK_Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SetCursor(hcur);
  switch (message) {
    case WM_SETCURSOR:
    case WM_MOUSEHOVER:
      return 1;
    case WM_MOUSEMOVE:
      if (!g_MouseInClient) {
        g_MouseInClient = true;
        SetCursor(hcur);
        TrackLeave(hwnd);
      }
      break;  // the static's own procedure sees every move
    case WM_LBUTTONUP:
      ShellExecuteA(hwnd, "OPEN", QUILLON_WEBSITE, NULL, NULL, SW_SHOWNORMAL);  // failures go unreported
      g_MouseInClient = false;
      return 0;
    case WM_MOUSELEAVE:
      g_MouseInClient = false;
      return 0;
  }
  return CallWindowProcA(link_proc, hwnd, message, wParam, lParam);
}
