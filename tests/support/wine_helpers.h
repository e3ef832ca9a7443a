// Small file and process helpers shared by the tests.
#pragma once
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

// A new empty folder under the temporary directory; its full path.
std::string MakeTempFolder(const std::string &prefix);
// Deletes a folder and everything below it (read-only files too).
void RemoveTree(const std::string &path);
// Names in a folder, "." and ".." left out, in the order the system lists them.
std::vector<std::string> FolderEntries(const std::string &dir);
// The texts of a combobox's items, in list order.
std::vector<std::string> ComboItems(HWND combo);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
// The whole file, or no value when it cannot be opened.
bool ReadFileBytes(const std::string &path, std::string *bytes);

// How much repeated work a test does: `full` with QUILLON_LONG_USE=full (the
// soak, tools/soak), `guest` with QUILLON_LONG_USE=guest (tools/guest32: under QEMU's emulation
// each instruction costs ten to twenty times as much), else `usual`. Only the
// number of rounds changes; every check still runs.
int Rounds(int guest, int usual, int full);

// Makes a folder the current directory for a scope, then goes back.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string &dir);
  ~ScopedCurrentDir();

 private:
  char saved_[MAX_PATH];
};

// Puts a standard stream's descriptor back as it was at construction: the
// launch command rebinds stdout for good, and tests catch stderr.
class SavedStream {
 public:
  explicit SavedStream(FILE *stream);
  ~SavedStream();

 private:
  FILE *stream_;
  int saved_;
};

// Runs the launch command's console plumbing inside a test program without
// losing the test's own output: the console the test starts with (one
// without a window) is dropped so the command can make its own, stdout and
// stderr are restored afterwards, and stderr meanwhile goes to errPath.
class LaunchSandbox {
 public:
  explicit LaunchSandbox(const std::string &errPath);
  ~LaunchSandbox();

 private:
  SavedStream out_, err_;
};

// before + "0." + 214,800,000 zeros + "1" + after (215 MB): RapidJSON's
// exponent wraps round on any positive exponent of ten digits after it (from
// 214,748,055 zeros on), and stays sound with none or a smaller one.
std::string AroundZerosPastTheParser(const std::string &before, const std::string &after);
