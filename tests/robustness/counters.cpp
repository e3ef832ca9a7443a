#include "robustness/counters.h"

#include <vector>

#include "support/gdi.h"

namespace {

// SystemHandleInformation (16): a count, then one entry per open handle of
// every process. Wine fills it from the wineserver's handle tables.
struct HandleEntry {
  USHORT pid;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};
const ULONG kSystemHandleInformation = 16;
const LONG kInfoLengthMismatch = (LONG)0xC0000004;

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++*(int *)lp;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lp) {
  ++*(int *)lp;
  EnumChildWindows(hwnd, CountChild, lp);
  return TRUE;
}

}  // namespace

int CountHandles() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return (int)count;
  typedef LONG(WINAPI * QueryFn)(ULONG, PVOID, ULONG, PULONG);
  QueryFn query = (QueryFn)(void *)GetProcAddress(GetModuleHandleA("ntdll"), "NtQuerySystemInformation");
  if (!query) return -1;
  std::vector<char> buf(1 << 18);
  LONG status;
  ULONG needed = 0;
  while ((status = query(kSystemHandleInformation, buf.data(), (ULONG)buf.size(), &needed)) == kInfoLengthMismatch)
    buf.resize(buf.size() * 2);
  if (status != 0) return -1;
  const HandleTable *table = (const HandleTable *)buf.data();
  const USHORT self = (USHORT)GetCurrentProcessId();
  int n = 0;
  for (ULONG i = 0; i < table->count; i++) n += table->entries[i].pid == self;
  return n;
}

int CountThreadWindows() {
  int n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, (LPARAM)&n);
  return n;
}

Resources Resources::Now() { return Resources{CountGdiObjects(), CountHandles(), CountThreadWindows()}; }

Resources Resources::Settled() {
  Resources last = Now();
  for (int i = 0; i < 50; i++) {
    PumpMessages();
    Sleep(20);
    PumpMessages();
    Resources now = Now();
    if (now == last) return now;
    last = now;
  }
  return last;
}
