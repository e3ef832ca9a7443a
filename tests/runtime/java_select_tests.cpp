// The runtime selection window on its real template, owned by a real main
// window, against runtimes in the real registry (both views) whose homes
// exist on disk; driven with messages.
#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "globals.h"
#include "main.h"
#include "resource.h"
#include "runtime/java_select.h"
#include "runtime/jvm_path.h"
#include "support/gdi.h"
#include "support/msgbox_recorder.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

const char kSetError[] = "\xC9\xE8\xD6\xC3\xB4\xED\xCE\xF3";  // "设置错误" in code page 936
const char kHint[] = "\xCC\xE1\xCA\xBE";                      // "提示"
const char kConfirmCaption[] = "\xC8\xB7\xB6\xA8";            // "确定"
const char kKaiTi[] = "\xBF\xAC\xCC\xE5";                     // "楷体"

void Confirm(HWND window) {
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_BTN3, BN_CLICKED), (LPARAM)GetDlgItem(window, IDC_BTN3));
}

COLORREF BrushColour(INT_PTR answer) {
  LOGBRUSH lb = {};
  GetObjectA((HBRUSH)answer, sizeof lb, &lb);
  return lb.lbColor;
}

// Both views start empty; hMainDlg is a main window made from its template,
// the owner of every selection window.
class SelectionWindow : public ::testing::Test {
 protected:
  RuntimeRegistry reg;
  TempDir dir;
  std::map<std::string, std::string> plainPaths;  // plain-view key -> what the resolver gives for it

  void SetUp() override {
    hInst = GetModuleHandleA(NULL);
    hMainDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, MainDlgProc, 0);
    ASSERT_TRUE(hMainDlg);
    max_java_count = 0;  // as at start
  }
  void TearDown() override {
    DestroyWindow(hMainDlg);  // and the selection windows it owns
    MSG msg;
    PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);  // posted by its destruction
    hMainDlg = NULL;
  }

  // A runtime whose home (a folder of that name) holds bin\java.exe or nothing.
  void Register(View view, const std::string &key, const std::string &home, bool executable) {
    std::string full = MakeJavaHome(dir, home, executable, false);
    reg.Add(view, key, full.c_str());
    if (view == View::Plain) plainPaths[key] = executable ? full + "\\bin\\java.exe" : "";
  }
  // The plain view's paths in the registry's own enumeration order.
  std::vector<std::string> PlainList() {
    std::vector<std::string> list;
    for (const std::string &key : RuntimeRegistry::Enumerate(View::Plain)) list.push_back(plainPaths[key]);
    return list;
  }
  HWND Open() { return CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_DLG2), hMainDlg, JavaSelect_Window_Proc, 0); }
  void PressDetect() {
    SendMessageA(hMainDlg, WM_COMMAND, MAKEWPARAM(IDC_BTN2, BN_CLICKED), (LPARAM)GetDlgItem(hMainDlg, IDC_BTN2));
  }
};

struct Runtime {
  View view;
  const char *key, *home;
  bool executable;
};

// Homes are named against their keys' order ("a" -> "zz", "b" -> "yy"), so a
// sorted list would show in another order than the resolver's.
TEST_F(SelectionWindow, ListsWhatTheResolverGivesPassByPass) {
  struct Case {
    const char *what;
    std::vector<Runtime> runtimes;
    int count;  // max_java_count left by the last pass
  } cases[] = {
      {"two plain, no Wow6432Node", {{View::Plain, "a", "zz", true}, {View::Plain, "b", "yy", true}}, 2},
      // The probe leaves 3 (Wow6432Node); pass 0 reads the plain view's 1.
      {"plain 1, Wow6432Node 3",
       {{View::Plain, "a", "zz", true},
        {View::Wow, "x", "w0", true},
        {View::Wow, "y", "w1", true},
        {View::Wow, "z", "w2", true}},
       1},
      // The probe leaves 1; pass 0 reads 3. A duplicate home is listed twice.
      {"plain 3, Wow6432Node 1",
       {{View::Plain, "a", "zz", true},
        {View::Plain, "b", "yy", true},
        {View::Plain, "c", "zz", true},
        {View::Wow, "x", "w0", true}},
       3},
      {"a runtime without executable", {{View::Plain, "a", "zz", true}, {View::Plain, "b", "none", false}}, 2},
  };
  for (const Case &c : cases) {
    RuntimeRegistry::Clear();
    plainPaths.clear();
    for (const Runtime &r : c.runtimes) Register(r.view, r.key, r.home, r.executable);

    HWND w = Open();
    ASSERT_TRUE(w) << c.what;
    EXPECT_TRUE(IsWindowVisible(w)) << c.what;
    EXPECT_EQ(GetWindow(w, GW_OWNER), hMainDlg) << c.what;
    std::vector<std::string> expected = PlainList();
    ASSERT_EQ((int)expected.size(), c.count) << c.what;
    EXPECT_EQ(ComboItems(GetDlgItem(w, IDC_CBO2)), expected) << c.what;
    EXPECT_EQ(max_java_count, c.count) << c.what;
    // jvm keeps designating the resolver's buffer, holding the last pass's path.
    EXPECT_EQ(jvm, PATH_JVM) << c.what;
    EXPECT_EQ(std::string(jvm), expected.back()) << c.what;

    EXPECT_EQ(SendMessageA(w, WM_CLOSE, 0, 0), 0) << c.what;
    EXPECT_FALSE(IsWindow(w)) << c.what;
  }
}

TEST_F(SelectionWindow, ConfirmTakesOnlyAChosenItem) {
  Register(View::Plain, "a", "none", false);
  Register(View::Plain, "b", "zz", true);
  const std::vector<std::string> listed = PlainList();
  MessageBoxRecorder boxes;
  std::vector<bool> ownerAlive;  // whether the window still existed while its box was up
  boxes.onBox = [&](const RecordedBox &b) { ownerAlive.push_back(IsWindow(b.owner) != FALSE); };

  // Nothing chosen, other commands, and text typed into the edit field.
  HWND w = Open();
  SetDlgItemTextA(w, IDC_CBO2, "C:\\typed\\bin\\java.exe");
  strcpy(jvm, "before");
  for (WORD id : {(WORD)IDOK, (WORD)IDCANCEL, (WORD)IDC_CBO2}) SendMessageA(w, WM_COMMAND, id, 0);
  EXPECT_TRUE(boxes.boxes().empty());
  Confirm(w);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  const RecordedBox &warning = boxes.boxes()[0];
  EXPECT_EQ(warning.owner, w);
  EXPECT_EQ(warning.text, kSetError);
  EXPECT_EQ(warning.caption, kHint);
  EXPECT_EQ(warning.buttons, std::vector<int>{IDOK});
  EXPECT_TRUE(warning.informationIcon);
  EXPECT_TRUE(IsWindow(w));
  EXPECT_STREQ(jvm, "before");
  SendMessageA(w, WM_CLOSE, 0, 0);

  // A chosen item, the empty one included, is copied, shown and ends the window.
  for (int index : {0, 1}) {
    boxes.clear();
    ownerAlive.clear();
    w = Open();
    ShowWindow(hMainDlg, SW_HIDE);
    strcpy(jvm, "before");
    SendDlgItemMessageA(w, IDC_CBO2, CB_SETCURSEL, index, 0);
    Confirm(w);
    ASSERT_EQ(boxes.boxes().size(), 1u) << index;
    const RecordedBox &shown = boxes.boxes()[0];
    EXPECT_EQ(shown.owner, w);
    EXPECT_EQ(shown.text, listed[index]);
    EXPECT_EQ(shown.caption, listed[index]);
    EXPECT_EQ(shown.buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(shown.anyIcon);
    EXPECT_EQ(ownerAlive, std::vector<bool>{true});  // the box comes before the window goes
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(IsWindowVisible(hMainDlg));
    EXPECT_EQ(jvm, PATH_JVM);
    EXPECT_EQ(std::string(jvm), listed[index]);
  }
}

// An item that would not fit the 512-byte buffer is refused like no choice.
TEST_F(SelectionWindow, CopiesOnlyWhatFitsAndNeedsABuffer) {
  struct Case {
    size_t length;
    bool nullJvm, copied;
  } cases[] = {{PATH_LEN - 1, false, true}, {PATH_LEN, false, false}, {4000, false, false}, {10, true, false}};
  for (const Case &c : cases) {
    HWND w = Open();
    const std::string item(c.length, 'x');
    LRESULT index = SendDlgItemMessageA(w, IDC_CBO2, CB_ADDSTRING, 0, (LPARAM)item.c_str());
    SendDlgItemMessageA(w, IDC_CBO2, CB_SETCURSEL, index, 0);
    strcpy(PATH_JVM, "before");
    if (c.nullJvm) jvm = NULL;
    MessageBoxRecorder boxes;
    Confirm(w);
    ASSERT_EQ(boxes.boxes().size(), 1u) << c.length;
    EXPECT_EQ(boxes.boxes()[0].text, c.copied ? item : std::string(kSetError)) << c.length;
    EXPECT_EQ(IsWindow(w), !c.copied) << c.length;
    EXPECT_EQ(std::string(PATH_JVM), c.copied ? item : "before") << c.length;
    EXPECT_EQ(jvm, c.nullJvm ? nullptr : PATH_JVM) << c.length;
    jvm = PATH_JVM;
    if (IsWindow(w)) SendMessageA(w, WM_CLOSE, 0, 0);
  }
}

TEST_F(SelectionWindow, EachPressOpensAWindowAndClosingOneLeavesTheLastResolvedPath) {
  Register(View::Plain, "a", "zz", true);
  PressDetect();
  HWND first = g_JavaSelect;
  Register(View::Plain, "b", "yy", true);
  PressDetect();
  HWND second = g_JavaSelect;
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  for (HWND w : {first, second}) {
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetWindow(w, GW_OWNER), hMainDlg);
  }
  const std::vector<std::string> both = PlainList();
  EXPECT_EQ(ComboItems(GetDlgItem(first, IDC_CBO2)), std::vector<std::string>{plainPaths["a"]});
  EXPECT_EQ(ComboItems(GetDlgItem(second, IDC_CBO2)), both);

  MessageBoxRecorder boxes;
  SendDlgItemMessageA(first, IDC_CBO2, CB_SETCURSEL, 0, 0);
  Confirm(first);
  EXPECT_EQ(std::string(jvm), plainPaths["a"]);
  EXPECT_TRUE(IsWindow(second));
  SendMessageA(second, WM_CLOSE, 0, 0);

  // A later window closed unconfirmed: jvm holds its initialisation's last
  // pass, the empty text when the last runtime has no executable.
  for (bool lastHasExecutable : {true, false}) {
    if (!lastHasExecutable) Register(View::Plain, "c", "none", false);
    PressDetect();
    SendMessageA(g_JavaSelect, WM_CLOSE, 0, 0);
    EXPECT_EQ(jvm, PATH_JVM);
    EXPECT_EQ(std::string(jvm), PlainList().back()) << lastHasExecutable;
    EXPECT_TRUE(IsWindowVisible(hMainDlg));
  }
  EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST_F(SelectionWindow, ConfirmButtonShowsItsCaptionWhiteOnBlue) {
  HWND w = Open();
  HWND button = GetDlgItem(w, IDC_BTN3);
  EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(w, IDC_STC3), GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(w, IDC_CBO2), GWL_STYLE) & 0x0F, CBS_DROPDOWN);

  RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  Pixels shown = CaptureClient(button);
  Pixels expected = Render(shown.width, shown.height, [&](HDC dc) {
    RECT rc = {0, 0, shown.width, shown.height};
    HBRUSH blue = CreateSolidBrush(0xFF0000);
    FillRect(dc, &rc, blue);
    DeleteObject(blue);
    HFONT font = CreateFontA(20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, kKaiTi);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, 0xFFFFFF);
    SetBkColor(dc, 0xFF0000);
    DrawTextA(dc, kConfirmCaption, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    DeleteObject(font);
  });
  EXPECT_GT(shown.Count(0xFFFFFF), 0);
  EXPECT_TRUE(shown == expected);

  // The colour answers are the painters' brushes.
  HDC dc = GetDC(button);
  EXPECT_EQ(BrushColour(JavaSelect_Window_Proc(w, WM_CTLCOLORBTN, (WPARAM)dc, (LPARAM)button)), 0xFF0000u);
  EXPECT_EQ(BrushColour(JavaSelect_Window_Proc(w, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)GetDlgItem(w, IDC_STC3))),
            0x000000u);
  ReleaseDC(button, dc);
}

// A template without the runtime list (the main window's) gets the
// "ComboBox NOT INIT" box and nothing more.
TEST_F(SelectionWindow, NoListToFillIsReported) {
  Register(View::Plain, "a", "zz", true);
  MessageBoxRecorder boxes;
  HWND w = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), hMainDlg, JavaSelect_Window_Proc, 0);
  ASSERT_TRUE(w);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].owner, w);
  EXPECT_EQ(boxes.boxes()[0].caption, "ComboBox NOT INIT");
  EXPECT_EQ(boxes.boxes()[0].text, "");
  EXPECT_EQ(boxes.boxes()[0].buttons, std::vector<int>{IDOK});
  EXPECT_FALSE(boxes.boxes()[0].anyIcon);
  EXPECT_EQ(jvm, PATH_JVM);
  EXPECT_STREQ(jvm, "");  // only the probe ran
  DestroyWindow(w);
}

}  // namespace
