// Start-up time and working set of Quillon.exe against bare_dialog.exe, a
// program that shows the same template with a do-nothing dialog procedure.
// Each round starts the program as a desktop shell does (detached, no
// console), waits until its main window is shown and painted, reads its
// working set, and ends it. The two programs take turns; the best round of
// each counts.
#include <windows.h>
// after windows.h
#include <psapi.h>
#include <stdio.h>

#include <string>

#include "bench/bench.h"
#include "support/program.h"
#include "support/registry_fixture.h"

namespace {

struct Round {
  bool ok = false;
  double micros = 0;      // CreateProcess until shown and painted
  SIZE_T workingSet = 0;  // bytes, once shown and painted
};

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM lp) {
  Search *s = (Search *)lp;
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  char text[32] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  if (lstrcmpA(text, "Dovov Quillon") != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

BOOL CALLBACK NeedsPaint(HWND hwnd, LPARAM lp) {
  if (GetUpdateRect(hwnd, NULL, FALSE)) *(bool *)lp = true;
  return TRUE;
}

// No part of the window or of any control waits for WM_PAINT.
bool NothingToPaint(HWND hwnd) {
  bool pending = GetUpdateRect(hwnd, NULL, FALSE) != 0;
  EnumChildWindows(hwnd, NeedsPaint, (LPARAM)&pending);
  return !pending;
}

// An update region is emptied when painting begins: a sent message that
// comes back means the window's thread has left the paint it was in.
bool Painted(HWND hwnd) {
  if (!NothingToPaint(hwnd)) return false;
  DWORD_PTR result;
  if (!SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return false;
  return NothingToPaint(hwnd);
}

double Now() {
  LARGE_INTEGER freq, t;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t);
  return t.QuadPart * 1e6 / freq.QuadPart;
}

Round StartOnce(const std::string &exe, const std::string &dir) {
  Round r;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + exe + "\"";
  double start = Now();
  if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, DETACHED_PROCESS, NULL, dir.c_str(), &si, &pi)) return r;
  CloseHandle(pi.hThread);
  Search s = {pi.dwProcessId, NULL};
  for (int polls = 0; polls < 5000; polls++) {  // 10 s at most
    if (!s.found) EnumWindows(FindMain, (LPARAM)&s);
    if (s.found && Painted(s.found)) {
      r.micros = Now() - start;
      r.ok = true;
      break;
    }
    Sleep(2);
  }
  if (r.ok) {
    HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pi.dwProcessId);
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (query && GetProcessMemoryInfo(query, &pmc, sizeof pmc)) r.workingSet = pmc.WorkingSetSize;
    if (query) CloseHandle(query);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hProcess);
  return r;
}

std::string BarePath() {
  char self[MAX_PATH];
  GetModuleFileNameA(NULL, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.rfind('\\')) + "\\bare_dialog.exe";
}

struct Best {
  int ok = 0;
  double micros = 1e300;
  SIZE_T workingSet = (SIZE_T)-1;
  void Add(const Round &r) {
    if (!r.ok) return;
    ok++;
    if (r.micros < micros) micros = r.micros;
    if (r.workingSet && r.workingSet < workingSet) workingSet = r.workingSet;
  }
};

}  // namespace

void BenchStartup() {
  const int rounds = 15;
  printf("start-up until the main window is shown and painted, and working set then\n");
  printf("  Quillon.exe vs bare_dialog.exe (template 101, no code of ours), best of %d each\n", rounds);
  TempDir quillonDir, bareDir;  // settings.ini is made in the first round only
  const std::string quillon = ProgramPath(), bare = BarePath();
  Best ours, floor;
  StartOnce(quillon, quillonDir.path());  // warms the file cache for both
  StartOnce(bare, bareDir.path());
  for (int i = 0; i < rounds; i++) {
    ours.Add(StartOnce(quillon, quillonDir.path()));
    floor.Add(StartOnce(bare, bareDir.path()));
  }
  if (!ours.ok || !floor.ok) {
    printf("  no window shown (Quillon.exe %d, bare_dialog.exe %d rounds)\n", ours.ok, floor.ok);
    return;
  }
  printf("  start-up   %8.1f ms  floor %8.1f ms  ratio %5.2fx  (target <= 1.2x)\n", ours.micros / 1000,
         floor.micros / 1000, ours.micros / floor.micros);
  printf("  working set %7.1f MB  floor %8.1f MB  ratio %5.2fx  (target <= 1.5x)\n", ours.workingSet / 1048576.0,
         floor.workingSet / 1048576.0, (double)ours.workingSet / floor.workingSet);
}
