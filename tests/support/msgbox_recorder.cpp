#include "support/msgbox_recorder.h"

#include <string.h>

#include <algorithm>

namespace {

// Wine builds every message box from one dialog template (user32's
// "MSGBOX"): a static for the text with ID 0xFFFF, an SS_ICON static with
// ID 1088 (stc1) that holds the icon or none, and push buttons IDOK..
// IDCONTINUE and IDHELP, of which those not asked for are destroyed. By
// HCBT_ACTIVATE the caption, text, icon and buttons are all in place.
const int MSGBOX_TEXT_ID = 0xFFFF;
const int MSGBOX_ICON_ID = 1088;

MessageBoxRecorder *active_recorder = nullptr;

std::string WindowText(HWND hwnd) {
  int length = GetWindowTextLengthA(hwnd);
  std::string text(length + 1, '\0');
  text.resize(GetWindowTextA(hwnd, &text[0], length + 1));
  return text;
}

bool HasClass(HWND hwnd, const char *name) {
  char cls[32];
  return hwnd && GetClassNameA(hwnd, cls, sizeof cls) && _stricmp(cls, name) == 0;
}

// The program's own dialogs share the class #32770: tell a message box by
// its text and icon controls.
bool IsMessageBox(HWND hwnd) {
  HWND icon = GetDlgItem(hwnd, MSGBOX_ICON_ID);
  return HasClass(hwnd, "#32770") && HasClass(GetDlgItem(hwnd, MSGBOX_TEXT_ID), "Static") &&
         HasClass(icon, "Static") && (GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

BOOL CALLBACK AddPushButton(HWND child, LPARAM lParam) {
  LONG style = GetWindowLongA(child, GWL_STYLE);
  LONG type = style & BS_TYPEMASK;
  if (HasClass(child, "Button") && (style & WS_VISIBLE) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
    reinterpret_cast<std::vector<HWND> *>(lParam)->push_back(child);
  return TRUE;
}

RecordedBox Describe(HWND box) {
  RecordedBox r;
  r.box = box;
  r.owner = GetWindow(box, GW_OWNER);
  r.caption = WindowText(box);
  r.text = WindowText(GetDlgItem(box, MSGBOX_TEXT_ID));
  HICON icon = (HICON)SendDlgItemMessageA(box, MSGBOX_ICON_ID, STM_GETICON, 0, 0);
  r.anyIcon = icon != NULL;
  // System icons are shared: the box holds the very handle LoadIcon gives.
  r.informationIcon = icon && icon == LoadIconA(NULL, IDI_INFORMATION);

  std::vector<HWND> buttons;
  EnumChildWindows(box, AddPushButton, (LPARAM)&buttons);
  std::vector<std::pair<LONG, int>> byPosition;
  for (HWND b : buttons) {
    RECT rc;
    GetWindowRect(b, &rc);
    byPosition.push_back({rc.left, GetDlgCtrlID(b)});
  }
  std::sort(byPosition.begin(), byPosition.end());
  for (const auto &p : byPosition) r.buttons.push_back(p.second);
  return r;
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder(int answer)
    : answer_(answer), hook_(SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId())), outer_(active_recorder) {
  active_recorder = this;
}

MessageBoxRecorder::~MessageBoxRecorder() {
  if (timer_) KillTimer(NULL, timer_);
  if (hook_) UnhookWindowsHookEx(hook_);
  active_recorder = outer_;
}

const std::vector<RecordedBox> &MessageBoxRecorder::boxes() const { return boxes_; }

void MessageBoxRecorder::clear() { boxes_.clear(); }

LRESULT CALLBACK MessageBoxRecorder::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  MessageBoxRecorder *self = active_recorder;
  HWND hwnd = (HWND)wParam;
  if (self) {
    try {
      if (code == HCBT_ACTIVATE) {
        self->Activated(hwnd);
      } else if (code == HCBT_DESTROYWND) {
        auto &live = self->live_;
        live.erase(std::remove(live.begin(), live.end(), hwnd), live.end());
      }
    } catch (...) {  // nothing may unwind through the system's hook caller
    }
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}

// A box is activated again when a box above it closes: record it once.
void MessageBoxRecorder::Activated(HWND box) {
  if (std::find(live_.begin(), live_.end(), box) != live_.end() || !IsMessageBox(box)) return;
  live_.push_back(box);
  boxes_.push_back(Describe(box));
  pending_.push_back(boxes_.back());
  // A thread timer fires from the box's own message loop, once it runs.
  if (!timer_) timer_ = SetTimer(NULL, 0, 0, AnswerProc);
}

void CALLBACK MessageBoxRecorder::AnswerProc(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(NULL, timer);
  MessageBoxRecorder *self = active_recorder;
  if (!self) return;
  if (self->timer_ == timer) self->timer_ = 0;
  try {
    self->AnswerPending();
  } catch (...) {  // nothing may unwind through DispatchMessage
  }
}

// onBox may show boxes of its own: those are answered by a nested call
// before it returns, so take each box out of pending_ before calling it.
void MessageBoxRecorder::AnswerPending() {
  while (!pending_.empty()) {
    RecordedBox box = pending_.front();
    pending_.erase(pending_.begin());
    try {
      if (onBox) onBox(box);
    } catch (...) {  // the box is answered all the same
    }
    if (IsWindow(box.box))
      PostMessageA(box.box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), (LPARAM)GetDlgItem(box.box, answer_));
  }
}
