// Quillon.exe started where its settings file cannot be made: in folders
// whose path leaves no room for "\settings.ini" in MAX_PATH, and in /proc,
// where no file can be created. It must start all the same, make no
// settings file anywhere, and quit cleanly.
#include <gtest/gtest.h>
#include <io.h>

#include <memory>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

bool Exists(const std::string &path) { return _access(path.c_str(), 0) == 0; }

std::string Parent(const std::string &path) { return path.substr(0, path.rfind('\\')); }

TEST(ProgramDirs, StartsAndQuitsWhereNoSettingsFileCanBeMade) {
  TempDir dir;
  std::vector<std::string> cwds;
  char letter = 'a';
  // 246 characters and "\settings.ini" just fit: that one shows the program
  // really runs in the folder it is given.
  for (size_t length : {246u, 247u, 250u, 255u, 258u}) {
    cwds.push_back(dir.path() + "\\" + std::string(length - dir.path().size() - 1, letter++));
    ASSERT_TRUE(CreateDirectoryA(cwds.back().c_str(), NULL)) << length;
  }
  cwds.push_back("Z:\\proc");

  // Everywhere a settings file could land by mistake: a cut path ends in the
  // temporary folders above the long ones; a folder refused at start leaves
  // the program in this one's, or next to itself.
  char here[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, here);
  const std::vector<std::string> elsewhere = {dir.path() + "\\settings.ini",
                                              Parent(dir.path()) + "\\settings.ini",
                                              std::string(here) + "\\settings.ini",
                                              Parent(ProgramPath()) + "\\settings.ini",
                                              "Z:\\settings.ini",
                                              "C:\\settings.ini",
                                              "Z:\\proc\\settings.ini"};
  std::vector<bool> existed;
  for (const std::string &path : elsewhere) existed.push_back(Exists(path));

  // All started at once: each start costs the wait for its main window.
  std::vector<std::unique_ptr<Program>> programs;
  for (const std::string &cwd : cwds) programs.emplace_back(new Program(cwd));
  for (size_t i = 0; i < cwds.size(); i++) {
    SCOPED_TRACE(cwds[i].size());
    Program &p = *programs[i];
    ASSERT_TRUE(p.started());
    HWND main = p.WaitMainWindow();
    ASSERT_TRUE(main);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(p.Answers(main));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    if (cwds[i] != "Z:\\proc") {
      const bool fits = cwds[i].size() == 246;
      EXPECT_EQ(FolderEntries(cwds[i]), fits ? std::vector<std::string>{"settings.ini"} : std::vector<std::string>{});
    }
  }
  // Nothing beside the long folders, nor anywhere else.
  EXPECT_EQ(FolderEntries(dir.path()).size(), 5u);
  for (size_t i = 0; i < elsewhere.size(); i++) EXPECT_EQ(Exists(elsewhere[i]), existed[i]) << elsewhere[i];
}

}  // namespace
