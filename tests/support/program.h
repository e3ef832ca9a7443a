// Quillon.exe started as a desktop shell starts it (detached, no console),
// watched and driven from the test process.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Window titles in code page 936.
extern const char kSelectTitle[];  // "检测Java运行时"
extern const char kAboutTitle[];   // "关于 Dovov Quillon   (:"

// Full path of a file built beside the test programs.
std::string BesideTests(const std::string &name);
// Full path of the Quillon.exe built beside the test programs.
std::string ProgramPath();

class Program {
 public:
  // Starts it (or exe, with args after its name) with dir as current
  // directory; its standard output and error go to files outside dir. The
  // process handle is owned here.
  explicit Program(const std::string &dir, const std::string &exe = ProgramPath(), const std::string &args = "");
  ~Program();  // ends the process if it still runs

  bool started() const { return process_ != NULL; }
  DWORD pid() const { return pid_; }
  // The main window once it is shown, or NULL after the time-out.
  HWND WaitMainWindow(DWORD ms = 10000);
  // A message box of this process whose text is `text`, or NULL.
  HWND WaitBox(const std::string &text, DWORD ms = 10000);
  // Answers the next message box with OK once it is up and gone again, and
  // returns its text ("<none>" after the time-out).
  std::string AnswerBox(DWORD ms = 10000);
  // Presses main's About button, answers the boxes it shows before its
  // window (their texts, in order, go to boxes when given) and returns the
  // About window, or NULL.
  HWND OpenAbout(HWND main, std::vector<std::string> *boxes = nullptr);
  // A visible top-level window of the process with this title, or NULL.
  HWND WaitTitled(const std::string &title, DWORD ms = 10000);
  // True once hwnd is destroyed (false after the time-out).
  static bool WaitGone(HWND hwnd, DWORD ms = 10000);
  // Visible top-level windows of the process.
  std::vector<HWND> Windows() const;
  // True while the main window answers messages.
  bool Answers(HWND hwnd) const;
  // The exit code, or STILL_ACTIVE after the time-out.
  DWORD WaitExit(DWORD ms = 10000);
  std::string Stderr() const;

 private:
  HANDLE process_ = NULL;
  DWORD pid_ = 0;
  std::string outDir_;
};

// The text of a message box (its static text control), read across processes.
std::string BoxText(HWND box);
std::string WindowText(HWND hwnd);
