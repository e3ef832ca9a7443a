// Owner-drawn labels and buttons: the style switches, and the painters that
// draw a control's caption while answering its colour message.
#pragma once
#include <windows.h>

void Owner_Draw_Button(HWND hwnd, int controlID);
void Owner_Draw_Static(HWND hwnd, int controlID);
// Shows the last-error box first, then switches the static like the above.
void Owner_Draw_Static_Link(HWND hwnd, int controlID);

// Each takes the colour message's arguments (wParam: the control's DC,
// lParam: the control) and returns the brush to answer it with. Fonts and
// brushes belong to this module and live for the run: callers never free them.
LRESULT Static_Draw(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT Static_English_Draw(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT Static_Link_Draw(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT Button_Draw(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam, COLORREF bg, COLORREF text4);

// Deletes the painters' fonts and brushes; called once the windows are gone.
void ReleasePainters();
