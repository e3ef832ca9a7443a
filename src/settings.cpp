#include "settings.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace {

// A new settings file, each line ended by a bare line feed.
const char *const NEW_SETTINGS_LINES[] = {
    "; Quillon Settings File",
    "; Do not edit",
    "[versions]",
    "length=0",
};

}  // namespace

void InitINIFile() {
  char lpPath[MAX_PATH];
  // 0 on failure; the size needed (terminator included) when it is too long.
  DWORD length = GetCurrentDirectoryA(sizeof lpPath, lpPath);
  if (length == 0 || length >= sizeof lpPath) return;

  char iniPath[MAX_PATH];
  int written = snprintf(iniPath, sizeof iniPath, "%s\\settings.ini", lpPath);
  if (written < 0 || written >= (int)sizeof iniPath) return;

  // A file or directory of that name is left as it is, unread.
  if (_access(iniPath, 0) == 0) return;

  FILE *fout = fopen(iniPath, "wb");
  if (!fout) return;
  bool whole = true;
  for (const char *line : NEW_SETTINGS_LINES) whole = fprintf(fout, "%s\n", line) >= 0 && whole;
  // A file cut short (a full disk) would be kept as it is on every later
  // start: it is removed, so that the next start makes it again. Should that
  // fail too, nothing more can be done.
  if (fclose(fout) != 0 || !whole) remove(iniPath);  // NOLINT(cert-err33-c)
}
