// Quillon.exe itself, started the way a user starts it and driven from here.
#include <gtest/gtest.h>

#include "resource.h"
#include "support/program.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

const char kSettings[] = "; Quillon Settings File\n; Do not edit\n[versions]\nlength=0\n";

TEST(Program, StartsLaunchesAndQuits) {
  TempDir dir;
  Program p(dir.path());
  ASSERT_TRUE(p.started()) << ProgramPath();
  HWND main = p.WaitMainWindow();
  ASSERT_TRUE(main);
  std::string settings;
  ASSERT_TRUE(ReadFileBytes(dir.path() + "\\settings.ini", &settings));
  EXPECT_EQ(settings, kSettings);

  // Enter and Esc mean nothing in the main window.
  HWND edit = GetDlgItem(main, IDC_EDT1);
  for (HWND target : {main, edit})
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      PostMessageA(target, WM_KEYDOWN, key, 0);
      PostMessageA(target, WM_CHAR, key == VK_RETURN ? '\r' : 0x1B, 0);
      PostMessageA(target, WM_KEYUP, key, 0);
    }
  EXPECT_TRUE(p.Answers(main));
  EXPECT_EQ(p.WaitExit(300), (DWORD)STILL_ACTIVE);

  // The launch button with no manifest: both failure lines, then the box.
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_BTN1, BN_CLICKED), (LPARAM)GetDlgItem(main, IDC_BTN1));
  HWND box = p.WaitBox("Execing");
  ASSERT_TRUE(box);
  EXPECT_EQ(GetWindow(box, GW_OWNER), main);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(p.Answers(main));
  EXPECT_EQ(p.Stderr(),
            "fail to read json file: ./versions/manifest.json\r\n"
            "fail to parse json file: ./versions/manifest.json\r\n");

  // Zeros that let the exponent wrap round inside RapidJSON, which then
  // read far outside its table: now the parse fails and it goes on.
  dir.MakeDir("versions");
  ASSERT_TRUE(WriteFileBytes(dir.path() + "\\versions\\manifest.json",
                             AroundZerosPastTheParser("{\"name\":\"1.16.5\",\"v\":", "e2147483648}")));
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_BTN1, BN_CLICKED), (LPARAM)GetDlgItem(main, IDC_BTN1));
  box = p.WaitBox("Execing", Rounds(600000, 120000, 120000));  // ten times as long under emulation
  ASSERT_TRUE(box) << p.Stderr();
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  // Until the box fetches a message, a read that took over 5 s (emulated)
  // makes the program look hung.
  EXPECT_TRUE(Program::WaitGone(box));
  EXPECT_TRUE(p.Answers(main));
  EXPECT_EQ(p.Stderr(),
            "fail to read json file: ./versions/manifest.json\r\n"
            "fail to parse json file: ./versions/manifest.json\r\n"
            "fail to parse json file: ./versions/manifest.json\r\n");

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(p.WaitExit(), 0u);
}

TEST(Program, CommandsOneAndTwoEndItWithExitCodeZero) {
  for (WPARAM command : {IDOK, IDCANCEL}) {
    TempDir dir;
    Program p(dir.path());
    HWND main = p.WaitMainWindow();
    ASSERT_TRUE(main);
    PostMessageA(main, WM_COMMAND, command, 0);
    EXPECT_EQ(p.WaitExit(), 0u) << command;
  }
}

// Presses About, checks the boxes it shows, returns the About window.
HWND OpenAbout(Program &p, HWND main) {
  std::vector<std::string> boxes;
  HWND about = p.OpenAbout(main, &boxes);
  EXPECT_TRUE(about);
  EXPECT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes.front(), "520");
  EXPECT_EQ(boxes.back(), std::to_string((int)(INT_PTR)GetDlgItem(about, IDC_STC5)));  // the link's handle
  return about;
}

std::wstring ComboItem(HWND combo, int i) {
  wchar_t text[600] = L"";
  if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 600) SendMessageW(combo, CB_GETLBTEXT, i, (LPARAM)text);
  return text;
}

// One pass through each window of the real program.
TEST(Program, EveryButtonAndEveryWindow) {
  RuntimeRegistry reg;
  TempDir homes, dir;
  const std::string java = MakeJavaHome(homes, "jre8", true, true);
  reg.Add(View::Plain, "1.8", java.c_str());
  reg.Add(View::Plain, "9", (homes.path() + "\\none").c_str());
  Program p(dir.path());
  HWND main = p.WaitMainWindow();
  ASSERT_TRUE(main);

  // Runtime detection: the list, then a confirmed choice.
  PostMessageA(main, WM_COMMAND, IDC_BTN2, 0);
  HWND select = p.WaitTitled(kSelectTitle);
  ASSERT_TRUE(select);
  HWND combo = GetDlgItem(select, IDC_CBO2);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
  std::vector<std::string> order = RuntimeRegistry::Enumerate(View::Plain);
  int javaIndex = order[0] == "1.8" ? 0 : 1;
  const std::string path = java + "\\bin\\java.exe";
  EXPECT_EQ(ComboItem(combo, javaIndex), std::wstring(path.begin(), path.end()));
  EXPECT_EQ(ComboItem(combo, 1 - javaIndex), L"");
  SendMessageA(combo, CB_SETCURSEL, javaIndex, 0);
  PostMessageA(select, WM_COMMAND, IDC_BTN3, 0);
  EXPECT_EQ(p.AnswerBox(), path);
  EXPECT_TRUE(Program::WaitGone(select));
  EXPECT_TRUE(p.Answers(main));

  // About, then its link's window closed again.
  HWND about = OpenAbout(p, main);
  ASSERT_TRUE(about);
  PostMessageA(about, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Program::WaitGone(about));
  EXPECT_TRUE(p.Answers(main));

  // Closing the main window while both kinds of window are open ends the
  // program with exit code 0.
  PostMessageA(main, WM_COMMAND, IDC_BTN2, 0);
  ASSERT_TRUE(p.WaitTitled(kSelectTitle));
  ASSERT_TRUE(OpenAbout(p, main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(p.WaitExit(), 0u);
}

// Wine's per-program DLL settings: while it lives, Wine prefers a DLL of
// this name in the program's folder to its own, as Windows prefers the
// program's folder for DLLs loaded by name at run time.
class PreferPlantedDll {
 public:
  PreferPlantedDll(const std::string &exe, const char *dll) : key_("Software\\Wine\\AppDefaults\\" + exe) {
    HKEY overrides;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL,
                        &overrides, NULL) == ERROR_SUCCESS) {
      RegSetValueExA(overrides, dll, 0, REG_SZ, (const BYTE *)"native,builtin", sizeof "native,builtin");
      RegCloseKey(overrides);
    }
  }
  ~PreferPlantedDll() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

 private:
  std::string key_;
};

// A uxtheme.dll dropped beside the program, as a web page drops one in the
// Downloads folder; the probe leaves "uxtheme.dll.loaded" when it is loaded.
// The bare dialog keeps the default search: it shows that the probe gets
// loaded on this Wine.
TEST(Program, KeepsOutADllPlantedBesideIt) {
  const struct {
    std::string exe;
    bool loaded;
  } rows[] = {{BesideTests("bare_dialog.exe"), true}, {ProgramPath(), false}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.exe);
    const std::string name = row.exe.substr(row.exe.rfind('\\') + 1);
    PreferPlantedDll prefer(name, "uxtheme");
    TempDir dir;
    ASSERT_TRUE(CopyFileA(row.exe.c_str(), (dir.path() + "\\" + name).c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BesideTests("probe_dll.dll").c_str(), (dir.path() + "\\uxtheme.dll").c_str(), FALSE));
    Program p(dir.path(), dir.path() + "\\" + name);
    HWND main = p.WaitMainWindow();
    ASSERT_TRUE(main);
    EXPECT_EQ(GetFileAttributesA((dir.path() + "\\uxtheme.dll.loaded").c_str()) != INVALID_FILE_ATTRIBUTES,
              row.loaded);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
  }
}

// A program built as Quillon.exe is ends at the first return that finds its
// stack overrun, with the status Windows gives that.
TEST(Program, StackOverrunEndsItWithItsOwnStatus) {
  const struct {
    std::string args;
    DWORD code;
  } rows[] = {{"fifteen letters", 0}, {std::string(40, 'x'), STATUS_STACK_BUFFER_OVERRUN}};
  for (const auto &row : rows) {
    TempDir dir;
    Program p(dir.path(), BesideTests("stack_overrun.exe"), row.args);
    EXPECT_EQ(p.WaitExit(), row.code) << row.args;
  }
}

}  // namespace
