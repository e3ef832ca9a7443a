// The main window and the message loop.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnInitDialog(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Fetches and dispatches messages until the quit message, or until the fetch
// fails (-1). get is GetMessageA; tests give it another.
typedef BOOL(WINAPI *GetMessageFn)(LPMSG, HWND, UINT, UINT);
void RunMessageLoop(GetMessageFn get);
