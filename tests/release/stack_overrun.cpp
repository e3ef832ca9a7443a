// Built as Quillon.exe is (stack-protected code, its entry point and
// canary): copies its command line into a 16-byte local array, so a longer
// one writes past the array's end. Returns 0 when the copy returns.
#include <string.h>
#include <windows.h>

namespace {
__attribute__((noinline)) size_t CopyIntoSixteenBytes(const char *text) {
  char copy[16];
  strcpy(copy, text);  // NOLINT the overrun under test
  return strlen(copy);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) { return CopyIntoSixteenBytes(cmdLine) > 100 ? 1 : 0; }
