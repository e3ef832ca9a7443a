// Stands in for a system DLL that a web page drops beside a program: when
// loaded, it leaves "<its own path>.loaded" beside itself and does nothing
// else.
#include <string.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n && n < MAX_PATH) {
      memcpy(path + n, ".loaded", sizeof ".loaded");
      HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
  }
  return TRUE;
}
