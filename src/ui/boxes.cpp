#include "ui/boxes.h"

#include <stdio.h>

#include "globals.h"

void GetError() {
  DWORD code = GetLastError();
  char *text = NULL;  // allocated by FormatMessageA, freed here with LocalFree
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                 code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
  char fallback[40];
  // NOLINTNEXTLINE(cert-err33-c) fits: 17 bytes at most
  if (text == NULL) snprintf(fallback, sizeof fallback, "Error %lu", (unsigned long)code);
  MessageBoxA(NULL, text ? text : fallback, "Error", MB_OK | MB_ICONINFORMATION);
  if (text) LocalFree(text);
}

namespace {
void ShowNumber(int number, char *text, size_t size) {
  snprintf(text, size, "%d", number);  // NOLINT(cert-err33-c) cut, not overrun, when text is short
  MessageBoxA(hMainDlg, text, "Entered ", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

void alert_number(int number) {
  char text[20];
  ShowNumber(number, text, sizeof text);
}

// A trace point's number in a 10-byte text, cut rather than overrun.
void debugger(int number) {
  char text[10];
  ShowNumber(number, text, sizeof text);
}
