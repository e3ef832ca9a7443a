#include "runtime/java_select.h"

#include "globals.h"
#include "resource.h"
#include "runtime/jvm_path.h"
#include "ui/paint.h"

HWND g_JavaSelect = NULL;
char *jvm = NULL;

namespace {

const char kSetError[] = "\xC9\xE8\xD6\xC3\xB4\xED\xCE\xF3";  // "设置错误" in code page 936
const char kHint[] = "\xCC\xE1\xCA\xBE";                      // "提示"

void WarnNoChoice(HWND hDlg) { MessageBoxA(hDlg, kSetError, kHint, MB_OK | MB_ICONINFORMATION); }

// Copies the chosen item into the buffer jvm designates (PATH_JVM), shows it
// and closes the window. Only an item picked from the list counts; text typed
// into the edit field is never read. An item that cannot be copied whole
// (too long for the buffer, or unreadable) is treated like no choice: the
// path is left as it was and the window stays open.
void OnConfirm(HWND hDlg) {
  HWND list = GetDlgItem(hDlg, IDC_CBO2);
  LRESULT item = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) {
    WarnNoChoice(hDlg);
    return;
  }
  LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, (WPARAM)item, 0);
  if (!jvm || length == CB_ERR || length >= PATH_LEN) {
    WarnNoChoice(hDlg);
    return;
  }
  SendMessageA(list, CB_GETLBTEXT, (WPARAM)item, (LPARAM)jvm);  // fits: length < PATH_LEN
  MessageBoxA(hDlg, jvm, jvm, MB_OK);
  DestroyWindow(hDlg);
}

}  // namespace

LRESULT OnInitDialog_JavaSelect(HWND hDlg, UINT, WPARAM, LPARAM) {
  Owner_Draw_Static(hDlg, IDC_STC3);
  Owner_Draw_Button(hDlg, IDC_BTN3);
  // Probe: resolving an index no machine has leaves the runtime count in
  // max_java_count; the text is not used.
  jvm = getJvmPath_v2(100);
  HWND list = GetDlgItem(hDlg, IDC_CBO2);
  if (!list) {
    MessageBoxA(hDlg, "", "ComboBox NOT INIT", MB_OK);
    return 0;
  }
  // Every resolver call may change the count, so it is read again each pass.
  // The list is not sorted: items keep resolver order, empty texts and
  // duplicates included.
  for (int i = 0; i < max_java_count; i++) {
    jvm = getJvmPath_v2(i);
    SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)jvm);
  }
  return 0;
}

INT_PTR CALLBACK JavaSelect_Window_Proc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog_JavaSelect(hDlg, message, wParam, lParam);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_BTN3) OnConfirm(hDlg);
      return 0;
    case WM_CTLCOLORBTN:
      return Button_Draw(hDlg, message, wParam, lParam, 0xFF0000, 0xFFFFFF);
    case WM_CTLCOLORSTATIC:
      return Static_Draw(hDlg, message, wParam, lParam);
    case WM_CLOSE:
      DestroyWindow(hDlg);
      return 0;
    case WM_DESTROY:
      ShowWindow(hMainDlg, SW_SHOW);
      return 0;
  }
  return 0;
}
