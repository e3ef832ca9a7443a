// Records and answers the message boxes shown on the test's thread, so that
// code which shows boxes runs to completion inside a test.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedBox {
  HWND box;
  HWND owner;
  std::string caption;
  std::string text;
  std::vector<int> buttons;  // IDs of the push buttons present, left to right, e.g. {IDOK}
  bool informationIcon;
  bool anyIcon;
};

// While it lives, every message box that becomes active on the constructing
// thread is recorded, in the order the boxes appear (nested ones too), and
// answered with a click on `answer` as soon as the box's own loop runs
// (Wine's box ends with `answer` even when it has no such button). onBox,
// when set, is called first, while the box is up; it may show boxes itself.
// Recorders nest: an inner one stands in for the outer one while it lives.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int answer = IDOK);
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder &) = delete;
  MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;

  const std::vector<RecordedBox> &boxes() const;
  void clear();

  std::function<void(const RecordedBox &)> onBox;

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK AnswerProc(HWND, UINT, UINT_PTR timer, DWORD);
  void Activated(HWND box);
  void AnswerPending();

  int answer_;
  HHOOK hook_;                 // owned: unhooked by the destructor
  UINT_PTR timer_ = 0;         // thread timer that answers pending_
  MessageBoxRecorder *outer_;  // the recorder active before this one
  std::vector<RecordedBox> boxes_;
  std::vector<RecordedBox> pending_;  // recorded, not yet answered
  std::vector<HWND> live_;            // recorded boxes not yet destroyed
};
