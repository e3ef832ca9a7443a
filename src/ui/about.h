// The About window: title, credits and a link that opens the project website.
#pragma once
#include <windows.h>

// The About button: a trace box, then a new modeless About window owned by
// hDlg; the newest one is kept in g_AboutProject.
void OnAbout(HWND hDlg);

INT_PTR CALLBACK About_Proc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// Replaces the link control's procedure: the hand cursor, leave tracking,
// and the website opened when the left button is released over it.
LRESULT CALLBACK LINK_Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
