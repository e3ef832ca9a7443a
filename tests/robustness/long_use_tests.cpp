// A long session in one process: the windows repainted over and over, and
// the selection and About windows opened and closed hundreds of times. Live
// GDI objects, kernel handles and windows must end where they began.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "globals.h"
#include "main.h"
#include "resource.h"
#include "robustness/counters.h"
#include "support/gdi.h"
#include "support/msgbox_recorder.h"
#include "support/registry_fixture.h"

namespace {

const UINT kRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN;

// The main window as WinMain makes it, and two registered runtimes (one with
// an executable) for the selection windows to list.
class LongUse : public ::testing::Test {
 protected:
  RuntimeRegistry reg;
  TempDir dir;

  void SetUp() override {
    reg.Add(View::Plain, "1.8", MakeJavaHome(dir, "jre8", true, false).c_str());
    reg.Add(View::Plain, "11", "C:\\nowhere");
    hInst = GetModuleHandleA(NULL);
    hMainDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, MainDlgProc, 0);
    ASSERT_TRUE(hMainDlg);
    ShowWindow(hMainDlg, SW_SHOW);
    g_AboutProject = NULL;
    g_JavaSelect = NULL;
    PumpMessages();
  }
  void TearDown() override {
    DestroyWindow(hMainDlg);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    }
    hMainDlg = NULL;
  }

  void Press(int id) {
    SendMessageA(hMainDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(hMainDlg, id));
  }

  // Opens a selection window, lets it paint, and closes it; every other time
  // by confirming its first item (a box, answered), else by its close box.
  bool SelectionCycle(int i) {
    Press(IDC_BTN2);
    HWND w = g_JavaSelect;
    if (!w) return false;
    RedrawWindow(w, NULL, NULL, kRepaint);
    if (SendDlgItemMessageA(w, IDC_CBO2, CB_GETCOUNT, 0, 0) != 2) return false;
    if (i % 2) {
      MessageBoxRecorder box;
      SendDlgItemMessageA(w, IDC_CBO2, CB_SETCURSEL, 0, 0);
      SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_BTN3, BN_CLICKED), (LPARAM)GetDlgItem(w, IDC_BTN3));
      if (box.boxes().size() != 1) return false;
    } else {
      SendMessageA(w, WM_CLOSE, 0, 0);
    }
    PumpMessages();
    return !IsWindow(w);
  }

  // One press of the About button (its boxes answered), a repaint, a close.
  bool AboutCycle() {
    size_t boxes;
    {
      MessageBoxRecorder recorder;
      Press(IDC_BTN4);
      boxes = recorder.boxes().size();
    }
    HWND w = g_AboutProject;
    if (!w || boxes != 4) return false;
    RedrawWindow(w, NULL, NULL, kRepaint);
    SendMessageA(w, WM_CLOSE, 0, 0);
    PumpMessages();
    return !IsWindow(w);
  }
};

double Seconds(DWORD since) { return (GetTickCount() - since) / 1000.0; }

// The counters themselves: one more event, brush or window each shows as one
// more of its kind, and none once it is gone.
TEST(Counters, SeeEachHandleObjectAndWindow) {
  DWORD wineStub = 123;
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &wineStub));
  EXPECT_EQ(wineStub, 0u) << "GetProcessHandleCount counts now: it could replace CountHandles";
  // Wine gives a thread's first window a hidden IME window of its own, for as
  // long as the thread has windows: one is there before counting.
  HWND anchor = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  const Resources before = Resources::Now();
  ASSERT_GT(before.handles, 0);
  HANDLE event = CreateEventA(NULL, FALSE, FALSE, NULL);
  HBRUSH brush = CreateSolidBrush(0x123456);
  HWND window = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  HWND child = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, window, NULL, NULL, NULL);
  EXPECT_EQ(Resources::Now(), (Resources{before.gdi + 1, before.handles + 1, before.windows + 2}));
  DestroyWindow(window);  // and its child
  DeleteObject(brush);
  CloseHandle(event);
  EXPECT_EQ(Resources::Now(), before);
  EXPECT_FALSE(IsWindow(child));
  DestroyWindow(anchor);
}

// Each repaint is drawn and handed to the X server, and every message to a
// control is a round trip to the wineserver: under Wine a repaint of the main
// window takes 1 to 2.7 ms and one of the selection window 0.65 to 1.7 ms.
// A leak of one object per repaint shows as well in two thousand, which is
// what tools/test runs; CI (QUILLON_LONG_USE=full) runs the 100,000 repaints
// and 500 window cycles of days of use.
bool FullLength() {
  const char *length = getenv("QUILLON_LONG_USE");
  return length && strcmp(length, "full") == 0;
}

TEST_F(LongUse, RepaintsLeaveNothingBehind) {
  const int kRepaints = FullLength() ? 100000 : 2000;
  Press(IDC_BTN2);
  HWND select = g_JavaSelect;
  ASSERT_TRUE(select);
  // The painters make their fonts and brushes on first use and keep them for
  // the run: paint each window once before counting.
  for (HWND w : {hMainDlg, select}) RedrawWindow(w, NULL, NULL, kRepaint);
  PumpMessages();
  const Resources before = Resources::Settled();
  ASSERT_GT(before.gdi, 0);
  ASSERT_GT(before.handles, 0);
  ASSERT_GT(before.windows, 2);

  for (HWND w : {hMainDlg, select}) {
    DWORD start = GetTickCount();
    for (int i = 0; i < kRepaints; i++) RedrawWindow(w, NULL, NULL, kRepaint);
    PumpMessages();
    printf("%d repaints of the %s window: %.1f s\n", kRepaints, w == hMainDlg ? "main" : "selection", Seconds(start));
  }
  EXPECT_EQ(Resources::Settled(), before);
  EXPECT_TRUE(IsWindowVisible(select));
  SendMessageA(select, WM_CLOSE, 0, 0);
}

// A selection window cycle takes 20 to 40 ms under Wine; an About cycle 75
// to 150 ms, most of it the four boxes of each press, each answered from a
// timer that fires no sooner than 10 ms after the box is up.
TEST_F(LongUse, SelectionAndAboutWindowsOpenedAndClosedHundredsOfTimes) {
  const int kSelections = FullLength() ? 500 : 300, kAbouts = FullLength() ? 500 : 100;
  // Once each first: the painters' fonts and brushes, and whatever the
  // system makes on a first message box, are made here.
  ASSERT_TRUE(SelectionCycle(0));
  ASSERT_TRUE(SelectionCycle(1));
  ASSERT_TRUE(AboutCycle());
  const Resources before = Resources::Settled();

  DWORD start = GetTickCount();
  int failed = 0;
  for (int i = 0; i < kSelections; i++) failed += !SelectionCycle(i);
  printf("%d selection windows: %.1f s\n", kSelections, Seconds(start));
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(Resources::Settled(), before);

  start = GetTickCount();
  failed = 0;
  for (int i = 0; i < kAbouts; i++) failed += !AboutCycle();
  printf("%d About windows: %.1f s\n", kAbouts, Seconds(start));
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(Resources::Settled(), before);
  EXPECT_TRUE(IsWindowVisible(hMainDlg));
}

}  // namespace
