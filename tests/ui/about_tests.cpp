// The About command, the About window and its link, driven in-process on
// windows made from the real templates, with the main window as WinMain
// makes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "globals.h"
#include "main.h"
#include "resource.h"
#include "support/gdi.h"
#include "support/msgbox_recorder.h"
#include "support/wine_helpers.h"
#include "ui/about.h"

namespace {

const char kAboutTitle[] = "\xB9\xD8\xD3\xDA Dovov Quillon   (:";  // "关于 Dovov Quillon   (:" in GBK

BOOL CALLBACK NoteAbout(HWND hwnd, LPARAM lp) {
  HWND *found = (HWND *)lp;
  char title[64] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  if (std::string(title) == kAboutTitle && (!*found || hwnd == g_AboutProject)) *found = hwnd;
  return TRUE;
}

// The About window of this thread that exists now, if any (the newest one).
HWND FindAbout() {
  HWND found = NULL;
  EnumThreadWindows(GetCurrentThreadId(), NoteAbout, (LPARAM)&found);
  return found;
}

bool OwnerDrawn(HWND control) { return (GetWindowLongPtrA(control, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW; }
bool Replaced(HWND link) { return GetWindowLongPtrA(link, GWLP_WNDPROC) == (LONG_PTR)LINK_Proc; }

// The window that leave tracking watches now, or NULL.
HWND LeaveTracked() {
  TRACKMOUSEEVENT t = {};
  t.cbSize = sizeof t;
  t.dwFlags = TME_QUERY;
  TrackMouseEvent(&t);
  return (t.dwFlags & TME_LEAVE) ? t.hwndTrack : NULL;
}

template <typename Done>
bool PumpUntil(Done done, DWORD ms) {
  for (DWORD start = GetTickCount(); !done(); Sleep(10)) {
    if (GetTickCount() - start > ms) return false;
    PumpMessages();
  }
  return true;
}

class About : public ::testing::Test {
 protected:
  void SetUp() override {
    hInst = GetModuleHandleA(NULL);
    hMainDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, MainDlgProc, 0);
    ASSERT_TRUE(hMainDlg);
    g_AboutProject = NULL;
    g_MouseInClient = false;
  }
  // The main window takes its About windows along; its quit message and
  // whatever else is left in the queue are dropped.
  void TearDown() override {
    DestroyWindow(hMainDlg);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    }
  }
  // One press of the About button, its boxes answered; the new window.
  HWND Press() {
    MessageBoxRecorder boxes;
    EXPECT_EQ(MainDlgProc(hMainDlg, WM_COMMAND, MAKEWPARAM(IDC_BTN4, BN_CLICKED), 0), 0);
    EXPECT_EQ(boxes.boxes().size(), 4u);
    return g_AboutProject;
  }
};

TEST_F(About, OnePressShowsItsBoxesAroundTheWindowsCreation) {
  struct Seen {
    RecordedBox box;
    HWND about;  // the About window while the box was up
    bool creditsOwnerDrawn, linkOwnerDrawn, linkReplaced;
  };
  std::vector<Seen> seen;
  MessageBoxRecorder boxes;
  boxes.onBox = [&](const RecordedBox &b) {
    HWND about = FindAbout();
    HWND link = GetDlgItem(about, IDC_STC5);
    seen.push_back({b, about, about && OwnerDrawn(GetDlgItem(about, IDC_STC4)), about && OwnerDrawn(link),
                    about && Replaced(link)});
  };
  EXPECT_EQ(MainDlgProc(hMainDlg, WM_COMMAND, MAKEWPARAM(IDC_BTN4, BN_CLICKED), 0), 0);

  HWND about = g_AboutProject;
  ASSERT_TRUE(about);
  HWND link = GetDlgItem(about, IDC_STC5);
  const struct {
    const char *caption;
    std::string text;  // empty: any
    HWND owner;
    bool aboutExists, creditsOwnerDrawn, linkOwnerDrawn, linkReplaced;
  } expected[] = {
      {"Entered ", "520", hMainDlg, false, false, false, false},
      {"Error", "", NULL, true, true, false, false},
      {"Error", "", NULL, true, true, true, true},
      {"Entered ", std::to_string((int)(INT_PTR)link), hMainDlg, true, true, true, true},
  };
  ASSERT_EQ(seen.size(), 4u);
  for (size_t i = 0; i < seen.size(); i++) {
    const Seen &s = seen[i];
    const auto &e = expected[i];
    EXPECT_EQ(s.box.caption, e.caption) << i;
    if (!e.text.empty()) {
      EXPECT_EQ(s.box.text, e.text) << i;
    }
    EXPECT_EQ(s.box.owner, e.owner) << i;
    EXPECT_EQ(s.box.buttons, std::vector<int>{IDOK}) << i;
    EXPECT_TRUE(s.box.informationIcon) << i;
    EXPECT_EQ(s.about, e.aboutExists ? about : NULL) << i;
    EXPECT_EQ(s.creditsOwnerDrawn, e.creditsOwnerDrawn) << i;
    EXPECT_EQ(s.linkOwnerDrawn, e.linkOwnerDrawn) << i;
    EXPECT_EQ(s.linkReplaced, e.linkReplaced) << i;
  }

  // Then the window itself, owned by the main window, which stays visible.
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_EQ(GetWindow(about, GW_OWNER), hMainDlg);
  EXPECT_TRUE(IsWindowVisible(hMainDlg));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(about, IDC_STC4)));
  EXPECT_TRUE(IsWindowVisible(link));
}

// Messages handed to RunMessageLoop one by one, then the quit.
std::vector<MSG> g_feed;
size_t g_fed;
BOOL WINAPI Feed(LPMSG msg, HWND, UINT, UINT) {
  if (g_fed == g_feed.size()) return 0;
  *msg = g_feed[g_fed++];
  return 1;
}
void RunLoopOn(std::vector<MSG> feed) {
  g_feed = feed;
  g_fed = 0;
  RunMessageLoop(Feed);
}
MSG Msg(HWND hwnd, UINT message, WPARAM wParam) { return MSG{hwnd, message, wParam, 0, 0, {0, 0}}; }

// Commands that reach windows, seen from a hook.
std::vector<std::pair<HWND, WORD>> g_commands;
LRESULT CALLBACK SeeCommands(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT *c = (const CWPSTRUCT *)lParam;
  if (code == HC_ACTION && c->message == WM_COMMAND) g_commands.push_back({c->hwnd, LOWORD(c->wParam)});
  return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(About, DialogKeysFollowTheNewestWindowAndDoNothingThere) {
  HWND older = Press();
  HWND newer = Press();
  ASSERT_TRUE(older && newer);
  EXPECT_NE(older, newer);
  EXPECT_EQ(g_AboutProject, newer);
  EXPECT_TRUE(IsWindowVisible(older));

  // Enter and Esc on each window's link: only the newer one turns them into
  // its IDOK and IDCANCEL commands, which it leaves unanswered.
  std::vector<MSG> keys;
  for (HWND about : {older, newer})
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) keys.push_back(Msg(GetDlgItem(about, IDC_STC5), WM_KEYDOWN, key));
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, SeeCommands, NULL, GetCurrentThreadId());
  g_commands.clear();
  RunLoopOn(keys);
  UnhookWindowsHookEx(hook);
  std::vector<std::pair<HWND, WORD>> expected = {{newer, (WORD)IDOK}, {newer, (WORD)IDCANCEL}};
  EXPECT_EQ(g_commands, expected);
  EXPECT_TRUE(IsWindowVisible(older));
  EXPECT_TRUE(IsWindowVisible(newer));
  PumpMessages();

  // Closing destroys the window and shows the main window.
  ShowWindow(hMainDlg, SW_HIDE);
  EXPECT_EQ(SendMessageA(newer, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(newer));
  EXPECT_TRUE(IsWindowVisible(hMainDlg));
  EXPECT_EQ(g_AboutProject, newer);

  // With the stale handle the loop still dispatches: the older one closes too.
  ShowWindow(hMainDlg, SW_HIDE);
  RunLoopOn({Msg(older, WM_CLOSE, 0)});
  EXPECT_FALSE(IsWindow(older));
  EXPECT_TRUE(IsWindowVisible(hMainDlg));
}

// Where winebrowser's stand-in for the browser writes the addresses it was
// asked to open (Z: is the Unix root).
struct RecordingBrowser {
  std::string unixPath = "/tmp/quillon-url-" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::string path = "Z:\\tmp\\quillon-url-" + std::to_string(GetCurrentProcessId()) + ".txt";
  HKEY key = NULL;  // owned: closed by the destructor
  RecordingBrowser() {
    DeleteFileA(path.c_str());
    std::string browsers = "\"" QUILLON_URL_RECORDER "\" " + unixPath;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL);
    RegSetValueExA(key, "Browsers", 0, REG_SZ, (const BYTE *)browsers.c_str(), (DWORD)browsers.size() + 1);
  }
  ~RecordingBrowser() {
    RegDeleteValueA(key, "Browsers");
    RegCloseKey(key);
    DeleteFileA(path.c_str());
  }
  std::string Opened() const {
    std::string text;
    ReadFileBytes(path, &text);
    return text;
  }
};

// winebrowser passes the address on in canonical form: scheme and host in
// lower case, and "/" as the path when there is none.
std::string Canonical(std::string url) {
  size_t host = url.find("://") + 3;
  if (url.find('/', host) == std::string::npos) url += '/';
  for (size_t i = 0; i < url.find('/', host); i++) url[i] = (char)tolower((unsigned char)url[i]);
  return url;
}

TEST_F(About, LinkShowsTheHandTracksTheLeaveAndOpensTheWebsite) {
  HWND link = GetDlgItem(Press(), IDC_STC5);
  ASSERT_TRUE(link);
  ASSERT_TRUE(hcur);
  EXPECT_EQ(hcur, LoadCursorA(NULL, IDC_HAND));

  SetCursor(LoadCursorA(NULL, IDC_ARROW));
  EXPECT_EQ(SendMessageA(link, WM_SETCURSOR, (WPARAM)link, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), hcur);
  EXPECT_EQ(SendMessageA(link, WM_MOUSEHOVER, 0, 0), 1);

  // The pointer moved onto the link: the flag, the hand, leave tracking.
  RECT rc;
  GetWindowRect(link, &rc);
  SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  ASSERT_TRUE(PumpUntil([] { return g_MouseInClient; }, 3000));
  EXPECT_EQ(GetCursor(), hcur);
  EXPECT_EQ(LeaveTracked(), link);

  // Further moves request nothing more...
  TRACKMOUSEEVENT cancel = {sizeof cancel, TME_CANCEL | TME_LEAVE, link, 0};
  TrackMouseEvent(&cancel);
  ASSERT_EQ(LeaveTracked(), (HWND)NULL);
  SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(LeaveTracked(), (HWND)NULL);
  // ...until a leave clears the flag; the next move requests again.
  EXPECT_EQ(SendMessageA(link, WM_MOUSELEAVE, 0, 0), 0);
  EXPECT_FALSE(g_MouseInClient);
  SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_TRUE(g_MouseInClient);
  EXPECT_EQ(LeaveTracked(), link);

  // Moving the pointer off the link: the platform reports the leave.
  SetCursorPos(rc.right + 300, rc.bottom + 300);
  EXPECT_TRUE(PumpUntil([] { return !g_MouseInClient; }, 3000));

  // A press alone opens nothing; the release opens the website, once.
  RecordingBrowser browser;
  g_MouseInClient = true;
  SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_TRUE(g_MouseInClient);
  EXPECT_EQ(SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3)), 0);
  EXPECT_FALSE(g_MouseInClient);
  // Wine starts winebrowser and the recorder as processes of their own:
  // seconds beside other suites, under emulation more.
  ASSERT_TRUE(PumpUntil([&] { return !browser.Opened().empty(); }, 60000));
  Sleep(500);  // a second, stray opening would land by now
  EXPECT_EQ(browser.Opened(), Canonical(QUILLON_WEBSITE) + "\n");
}

// The control's visible part (the About window clips its right edge) against
// its text drawn directly on the dialog's background.
void ExpectDrawnAs(HWND control, const char *face, BOOL italic, COLORREF text) {
  RECT rc, parent;
  GetClientRect(control, &rc);
  GetClientRect(GetParent(control), &parent);
  POINT at = {0, 0};
  MapWindowPoints(control, GetParent(control), &at, 1);
  int width = std::min<int>(rc.right, parent.right - at.x);
  char caption[63];
  int length = GetWindowTextA(control, caption, sizeof caption);
  Pixels expected = Render(width, rc.bottom, [&](HDC dc) {
    HBRUSH face3d = GetSysColorBrush(COLOR_3DFACE);  // system brush: not deleted
    FillRect(dc, &rc, face3d);
    HFONT font = CreateFontA(15, 0, 0, 0, FW_NORMAL, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, face);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, text);
    SetBkColor(dc, 0xFFFFFF);
    DrawTextA(dc, caption, length, &rc, DT_CENTER | DT_VCENTER);
    SelectObject(dc, old);
    DeleteObject(font);
  });
  Pixels shown = CaptureClient(control);
  Pixels visible;
  visible.width = width;
  visible.height = shown.height;
  for (int y = 0; y < shown.height; y++)
    for (int x = 0; x < width; x++) visible.px.push_back(shown.at(x, y));
  EXPECT_TRUE(visible == expected) << caption;
  EXPECT_GT(visible.Count(text), 20) << caption;
}

TEST_F(About, CreditsInItalicAndTheLinkInBlue) {
  HWND about = Press();
  RedrawWindow(about, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  ExpectDrawnAs(GetDlgItem(about, IDC_STC4), "Consolas", TRUE, 0x000000);
  ExpectDrawnAs(GetDlgItem(about, IDC_STC5), "Consolas", FALSE, 0xFF0000);
}

}  // namespace
