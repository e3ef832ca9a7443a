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

}  // namespace
