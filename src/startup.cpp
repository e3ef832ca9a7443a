#include "startup.h"

#include <windows.h>

#include <cstdlib>
#include <exception>

// mingw-w64's entry for windowed programs: static initialisation, WinMain.
extern "C" int WinMainCRTStartup(void);

// The canary of -fstack-protector-strong code, and the function it calls when
// a return finds the canary overwritten. libssp would provide both, but seeds
// its canary with CryptGenRandom at every start (crypt32, rsaenh and bcrypt
// loaded); these cost nothing. Until InitStackGuard runs (test programs never
// call it) the canary keeps this fixed value.
extern "C" {
// NOLINTNEXTLINE(bugprone-reserved-identifier) the compiler's name for it
void *__stack_chk_guard = (void *)(ULONG_PTR)0x2B992DDFA2324F6BULL;

// A smashed stack must not run another instruction of the program: no
// handlers, no unwinding, the status Windows reports for the same fault.
// NOLINTNEXTLINE(bugprone-reserved-identifier) the compiler's name for it
__attribute__((noreturn)) void __stack_chk_fail(void) {
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  for (;;) {
  }
}
}

// libstdc++'s default terminate handler prints the exception's demangled type
// to stderr, which a windowed program does not have, and brings in the whole
// demangler (some 48 KB); in its place, one that only ends the program, as
// that one does after printing.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// DLLs loaded by name from now on come from System32 only, never from the
// program's folder (a Downloads folder where anyone can drop a uxtheme.dll).
// Where SetDefaultDllDirectories is missing (Vista, and 7 without
// KB2533623) only the current folder is taken out of the search.
void RestrictDllSearch(void) {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  // Through a plain function pointer type: FARPROC's own type is unrelated.
  SetDefaultDllDirectoriesFn set =
      kernel32 ? (SetDefaultDllDirectoriesFn)(void (*)(void))GetProcAddress(kernel32, "SetDefaultDllDirectories")
               : NULL;
  if (!set || !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryA("");
}

// A fresh value for the canary. Only from a function with no protected frame
// below it on the stack, before any protected function runs.
__attribute__((no_stack_protector)) void InitStackGuard(void) {
  // What Windows' own compilers mix in: time, ids, a fine counter and the
  // stack's address (randomised with the image).
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  ULONG_PTR value = (ULONG_PTR)&counter;
  value ^= ((ULONG_PTR)now.dwHighDateTime << 16) ^ now.dwLowDateTime;
  value ^= (ULONG_PTR)GetCurrentProcessId() << 8 ^ (ULONG_PTR)GetCurrentThreadId() << 20;
  value ^= (ULONG_PTR)counter.QuadPart ^ (ULONG_PTR)(counter.QuadPart >> 24) << 7;
  value ^= GetTickCount();
  if (value) __stack_chk_guard = (void *)value;
}

}  // namespace

__attribute__((no_stack_protector)) int QuillonStartup(void) {
  RestrictDllSearch();
  InitStackGuard();
  return WinMainCRTStartup();
}
