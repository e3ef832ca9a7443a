// Diagnostic message boxes.
#pragma once
#include <windows.h>

// The platform's text for the thread's last-error code in an "Error" box
// with no owner (a text naming the code when the platform has none).
void GetError();
// A number in a box owned by hMainDlg, caption "Entered ".
void alert_number(int number);
// The same for a trace point's number.
void debugger(int number);
