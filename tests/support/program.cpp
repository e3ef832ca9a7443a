#include "support/program.h"

#include "resource.h"
#include "support/wine_helpers.h"

const char kSelectTitle[] = "\xBC\xEC\xB2\xE2Java\xD4\xCB\xD0\xD0\xCA\xB1";
const char kAboutTitle[] = "\xB9\xD8\xD3\xDA Dovov Quillon   (:";

std::string BesideTests(const std::string &name) {
  char self[MAX_PATH];
  GetModuleFileNameA(NULL, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.rfind('\\') + 1) + name;  // .../build/win64/tests/name
}

std::string ProgramPath() {
  std::string tests = BesideTests("");
  tests.pop_back();
  return tests.substr(0, tests.rfind('\\')) + "\\Quillon.exe";
}

namespace {
HANDLE InheritableFile(const std::string &path) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, NULL);
}
}  // namespace

Program::Program(const std::string &dir, const std::string &exe, const std::string &args) {
  outDir_ = MakeTempFolder("quillon-out");
  // Real files for the standard streams: Wine's C runtime cannot re-bind a
  // stream whose handle was invalid at start.
  HANDLE out = InheritableFile(outDir_ + "\\stdout.txt");
  HANDLE err = InheritableFile(outDir_ + "\\stderr.txt");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  if (CreateProcessA(NULL, &cmd[0], NULL, NULL, TRUE, DETACHED_PROCESS, NULL, dir.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    WaitForInputIdle(process_, 10000);
  }
  CloseHandle(out);
  CloseHandle(err);
}

Program::~Program() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
  RemoveTree(outDir_);
}

namespace {
struct WindowsOf {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
  WindowsOf *c = (WindowsOf *)lp;
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == c->pid && IsWindowVisible(hwnd)) c->found.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> Program::Windows() const {
  WindowsOf ctx{pid_, {}};
  EnumWindows(CollectWindow, (LPARAM)&ctx);
  return ctx.found;
}

std::string WindowText(HWND hwnd) {
  char text[1024] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::string BoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

namespace {
template <typename F>
HWND Poll(DWORD ms, F find) {
  for (DWORD waited = 0;; waited += 20) {
    if (HWND h = find()) return h;
    if (waited >= ms) return NULL;
    Sleep(20);
  }
}

bool IsDialogClass(HWND hwnd) {
  char cls[32] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  return lstrcmpA(cls, "#32770") == 0;
}

// Message boxes are the dialogs with the box's text control (id 0xFFFF).
bool IsMessageBox(HWND hwnd) { return IsDialogClass(hwnd) && GetDlgItem(hwnd, 0xFFFF) != NULL; }
}  // namespace

std::string Program::AnswerBox(DWORD ms) {
  HWND box = Poll(ms, [&]() -> HWND {
    for (HWND h : Windows())
      if (IsMessageBox(h)) return h;
    return NULL;
  });
  if (!box) return "<none>";
  std::string text = BoxText(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  WaitGone(box, ms);
  return text;
}

HWND Program::WaitTitled(const std::string &title, DWORD ms) {
  return Poll(ms, [&]() -> HWND {
    for (HWND h : Windows())
      if (WindowText(h) == title) return h;
    return NULL;
  });
}

HWND Program::WaitMainWindow(DWORD ms) {
  return Poll(ms, [&]() -> HWND {
    for (HWND h : Windows())
      if (IsDialogClass(h) && WindowText(h) == "Dovov Quillon") return h;
    return NULL;
  });
}

HWND Program::WaitBox(const std::string &text, DWORD ms) {
  return Poll(ms, [&]() -> HWND {
    for (HWND h : Windows())
      if (IsDialogClass(h) && BoxText(h) == text) return h;
    return NULL;
  });
}

bool Program::Answers(HWND hwnd) const {
  // Whether the window takes a message at all, not whether it fetched one in
  // the last 5 s (SMTO_ABORTIFHUNG): a program slowed by a busy machine is not hung.
  DWORD_PTR result;
  return IsWindow(hwnd) && SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
}

DWORD Program::WaitExit(DWORD ms) {
  if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::string Program::Stderr() const {
  std::string bytes;
  ReadFileBytes(outDir_ + "\\stderr.txt", &bytes);
  return bytes;
}

bool Program::WaitGone(HWND hwnd, DWORD ms) {
  return Poll(ms, [&]() -> HWND { return IsWindow(hwnd) ? NULL : (HWND)1; }) != NULL;
}

// The About command shows four boxes before its window: the trace point, two
// last-error texts and the link's handle.
HWND Program::OpenAbout(HWND main, std::vector<std::string> *boxes) {
  PostMessageA(main, WM_COMMAND, IDC_BTN4, 0);
  for (int i = 0; i < 4; i++) {
    std::string text = AnswerBox();
    if (boxes) boxes->push_back(text);
  }
  return WaitTitled(kAboutTitle);
}
