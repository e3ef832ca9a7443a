// Small file and process helpers shared by the tests.
#pragma once
#include <windows.h>

#include <string>

// A new empty folder under the temporary directory; its full path.
std::string MakeTempFolder(const std::string &prefix);
// Deletes a folder and everything below it (read-only files too).
void RemoveTree(const std::string &path);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
// The whole file, or no value when it cannot be opened.
bool ReadFileBytes(const std::string &path, std::string *bytes);

// Makes a folder the current directory for a scope, then goes back.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string &dir);
  ~ScopedCurrentDir();

 private:
  char saved_[MAX_PATH];
};
