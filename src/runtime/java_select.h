// The runtime selection window (template IDD_DLG2): lists the java
// executable of every registered runtime and keeps the user's choice in jvm.
#pragma once
#include <windows.h>

INT_PTR CALLBACK JavaSelect_Window_Proc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
// Switches the label and button to owner-draw and fills the runtime list.
LRESULT OnInitDialog_JavaSelect(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
