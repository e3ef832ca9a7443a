// The launch command on a console of its own, and its "Execing" box.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "launch/launch.h"
#include "support/msgbox_recorder.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

// The process console's text from its top to the cursor, one "\n" per row,
// blanks at the ends of rows dropped.
std::string ConsoleText() {
  HANDLE con = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
  if (con == INVALID_HANDLE_VALUE) return "<no console>";
  std::string text;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(con, &info)) {
    std::vector<char> row(info.dwSize.X);
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; y++) {
      bool cursorRow = y == info.dwCursorPosition.Y;
      DWORD got = 0;
      ReadConsoleOutputCharacterA(con, row.data(), cursorRow ? info.dwCursorPosition.X : row.size(), {0, y}, &got);
      std::string line(row.data(), got);
      line.erase(line.find_last_not_of(' ') + 1);
      text += cursorRow ? line : line + "\n";
    }
  }
  CloseHandle(con);
  return text;
}

TEST(LaunchCommand, WritesOnItsOwnConsoleThenShowsTheExecingBox) {
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());
  const std::string errPath = dir.path() + "\\stderr";
  HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL, NULL, NULL);
  ASSERT_TRUE(owner);
  std::vector<std::string> screenWhileBoxUp;
  std::vector<RecordedBox> boxes;
  {
    LaunchSandbox sandbox(errPath);
    MessageBoxRecorder recorder;
    recorder.onBox = [&](const RecordedBox &) { screenWhileBoxUp.push_back(ConsoleText()); };
    OnLaunch(owner);  // no manifest: both failure lines, on stderr only
    dir.MakeDir("versions");
    WriteFileBytes(dir.path() + "\\versions\\manifest.json", R"({"name":"1.16.5"})");
    OnLaunch(owner);  // the console made by the first launch is used again
    boxes = recorder.boxes();
  }
  DestroyWindow(owner);

  EXPECT_EQ(screenWhileBoxUp, (std::vector<std::string>{"", "name: 1.16.5\n"}));
  std::string errText;
  ASSERT_TRUE(ReadFileBytes(errPath, &errText));
  EXPECT_EQ(errText,
            "fail to read json file: ./versions/manifest.json\n"
            "fail to parse json file: ./versions/manifest.json\n");

  // Wine gives a box without a caption user32's string 2, "Error" in the
  // user's language.
  char defaultTitle[64] = "";
  LoadStringA(GetModuleHandleA("user32.dll"), 2, defaultTitle, sizeof defaultTitle);
  ASSERT_STRNE(defaultTitle, "");
  ASSERT_EQ(boxes.size(), 2u);
  for (const RecordedBox &box : boxes) {
    EXPECT_EQ(box.owner, owner);
    EXPECT_EQ(box.text, "Execing");
    EXPECT_EQ(box.caption, defaultTitle);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(box.anyIcon);
  }
}

}  // namespace
