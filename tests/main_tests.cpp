// The main window's procedure, driven in-process on a window made from its
// real template.
#include <gtest/gtest.h>

#include "globals.h"
#include "main.h"
#include "resource.h"
#include "support/msgbox_recorder.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

COLORREF BrushColour(INT_PTR answer) {
  LOGBRUSH lb = {};
  GetObjectA((HBRUSH)answer, sizeof lb, &lb);
  return lb.lbColor;
}

bool QuitPosted() {
  MSG msg;
  return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 0;
}

struct MainWindow {
  HWND hwnd = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, MainDlgProc, 0);
  ~MainWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    QuitPosted();
  }
  INT_PTR Send(UINT msg, WPARAM wp, LPARAM lp = 0) { return MainDlgProc(hwnd, msg, wp, lp); }
};

TEST(MainWindow, InitialisationSwitchesTheFiveControlsToOwnerDraw) {
  MainWindow w;
  ASSERT_TRUE(w.hwnd);
  struct {
    int id;
    LONG_PTR type;
  } expected[] = {{IDC_BTN1, BS_OWNERDRAW}, {IDC_BTN2, BS_OWNERDRAW}, {IDC_BTN4, BS_OWNERDRAW},
                  {IDC_STC1, SS_OWNERDRAW}, {IDC_STC2, SS_OWNERDRAW}, {IDC_EDT1, 0},
                  {IDC_CBO1, CBS_DROPDOWN}};
  for (auto e : expected) {
    LONG_PTR style = GetWindowLongPtrA(GetDlgItem(w.hwnd, e.id), GWL_STYLE);
    EXPECT_EQ(style & 0x0F, e.type) << e.id;
    EXPECT_TRUE(style & WS_VISIBLE) << e.id;
  }
}

TEST(MainWindow, MessagesAndTheirAnswers) {
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());  // no manifest here
  MainWindow w;
  HDC dc = GetDC(GetDlgItem(w.hwnd, IDC_BTN1));
  EXPECT_EQ(BrushColour(w.Send(WM_CTLCOLORBTN, (WPARAM)dc, (LPARAM)GetDlgItem(w.hwnd, IDC_BTN1))), 0x0000FFu);
  EXPECT_EQ(BrushColour(w.Send(WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)GetDlgItem(w.hwnd, IDC_STC1))), 0x000000u);
  ReleaseDC(GetDlgItem(w.hwnd, IDC_BTN1), dc);

  LaunchSandbox sandbox(dir.path() + "\\stderr");
  MessageBoxRecorder boxes;
  // Unknown commands, and the notification code in the high word, change nothing.
  EXPECT_EQ(w.Send(WM_COMMAND, MAKEWPARAM(9999, 0)), 0);
  EXPECT_EQ(w.Send(WM_COMMAND, MAKEWPARAM(IDC_STC1, BN_CLICKED)), 0);
  EXPECT_TRUE(boxes.boxes().empty());

  // The launch button runs the launch command, whose last act is its box.
  EXPECT_EQ(w.Send(WM_COMMAND, MAKEWPARAM(IDC_BTN1, BN_CLICKED)), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Execing");
  EXPECT_EQ(boxes.boxes()[0].owner, w.hwnd);
  EXPECT_TRUE(IsWindow(w.hwnd));
  EXPECT_FALSE(QuitPosted());
}

TEST(MainWindow, CloseAndCommandsOneAndTwoEndTheProgram) {
  struct {
    UINT msg;
    WPARAM wp;
  } enders[] = {{WM_CLOSE, 0}, {WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}, {WM_COMMAND, MAKEWPARAM(IDOK, 7)}};
  for (auto e : enders) {
    MainWindow w;
    EXPECT_EQ(w.Send(e.msg, e.wp), 1);
    EXPECT_FALSE(IsWindow(w.hwnd));
    EXPECT_TRUE(QuitPosted()) << e.msg << " " << e.wp;
  }
}

int g_fetches;
BOOL WINAPI FailingFetch(LPMSG, HWND, UINT, UINT) { return ++g_fetches < 1000 ? -1 : 0; }

// The real fetch; once it has returned the quit, further fetches fail and
// are counted, so a loop that reads past the quit ends instead of waiting.
bool g_quitFetched;
int g_fetchesAfterQuit;
BOOL WINAPI FetchUntilQuit(LPMSG msg, HWND hwnd, UINT first, UINT last) {
  if (g_quitFetched) {
    g_fetchesAfterQuit++;
    return -1;
  }
  BOOL got = GetMessageA(msg, hwnd, first, last);
  g_quitFetched = got == 0;
  return got;
}

UINT g_seen;
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) g_seen = (UINT)wp;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A fetch that fails ends the loop instead of spinning on the error; the
// quit ends it too, once what came before it has been dispatched.
TEST(MessageLoop, EndsOnQuitAndOnAFailedFetch) {
  RunMessageLoop(FailingFetch);
  EXPECT_EQ(g_fetches, 1);

  HWND w = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  ASSERT_TRUE(w);
  SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
  PostMessageA(w, WM_APP, 42, 0);
  PostQuitMessage(0);
  RunMessageLoop(FetchUntilQuit);
  EXPECT_TRUE(g_quitFetched);
  EXPECT_EQ(g_fetchesAfterQuit, 0);
  EXPECT_EQ(g_seen, 42u);
  DestroyWindow(w);
}

}  // namespace
