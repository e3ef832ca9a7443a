// settings.ini in the current directory: made once, never touched again.
#include <gtest/gtest.h>
#include <io.h>

#include <string>
#include <vector>

#include "settings.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

using namespace std::string_literals;

namespace {

const char NEW_FILE[] = "; Quillon Settings File\n; Do not edit\n[versions]\nlength=0\n";

void InitIn(const std::string &dir) {
  ScopedCurrentDir cwd(dir);
  InitINIFile();
}

TEST(Settings, MadeOnFirstStartThenLeftAsItIs) {
  TempDir dir;
  const std::string ini = dir.path() + "\\settings.ini";
  InitIn(dir.path());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(ini, &bytes));
  EXPECT_EQ(bytes, NEW_FILE);

  for (const std::string &content : {""s, "x"s, "[versions]\r\nlength=3\r\n"s, "\0\xFF\x1A"s}) {
    ASSERT_TRUE(WriteFileBytes(ini, content));
    InitIn(dir.path());
    ASSERT_TRUE(ReadFileBytes(ini, &bytes));
    EXPECT_EQ(bytes, content);
  }

  ASSERT_TRUE(DeleteFileA(ini.c_str()));
  dir.MakeDir("settings.ini");
  InitIn(dir.path());
  EXPECT_TRUE(GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(FolderEntries(ini).empty());
}

TEST(Settings, SkippedWhereItCannotBeMade) {
  // Neither Wine (for a directory's read-only attribute) nor root (for Unix
  // permissions) keeps files out of an ordinary folder; /proc does.
  InitIn("Z:\\proc");
  EXPECT_NE(_access("Z:\\proc\\settings.ini", 0), 0);

  // A current directory moved away after it was entered: its path is gone.
  TempDir dir;
  dir.MakeDir("old\\cwd");
  {
    ScopedCurrentDir cwd(dir.path() + "\\old\\cwd");
    ASSERT_TRUE(MoveFileA((dir.path() + "\\old").c_str(), (dir.path() + "\\moved").c_str()));
    InitINIFile();
  }
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"moved"});
  EXPECT_EQ(FolderEntries(dir.path() + "\\moved"), std::vector<std::string>{"cwd"});
  EXPECT_TRUE(FolderEntries(dir.path() + "\\moved\\cwd").empty());
}

TEST(Settings, SkippedWhenThePathDoesNotFitInMaxPath) {
  TempDir dir;
  // 246 characters and "\settings.ini" fill MAX_PATH with the terminator.
  const struct {
    size_t length;
    bool made;
  } cases[] = {{246, true}, {247, false}, {258, false}};
  char letter = 'a';
  for (const auto &c : cases) {
    SCOPED_TRACE(c.length);
    const std::string cwd = dir.path() + "\\" + std::string(c.length - dir.path().size() - 1, letter++);
    ASSERT_TRUE(CreateDirectoryA(cwd.c_str(), NULL));
    {
      ScopedCurrentDir in(cwd);
      char now[MAX_PATH];
      ASSERT_EQ(GetCurrentDirectoryA(MAX_PATH, now), c.length);
      InitINIFile();
    }
    EXPECT_EQ(FolderEntries(cwd), c.made ? std::vector<std::string>{"settings.ini"} : std::vector<std::string>{});
  }
  EXPECT_EQ(FolderEntries(dir.path()).size(), 3u);  // the three folders, nothing cut short beside them
}

}  // namespace
