#include "support/registry_fixture.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "support/wine_helpers.h"

namespace {
const REGSAM kSam = KEY_ALL_ACCESS | KEY_WOW64_64KEY;

// Creates the key one level at a time: Wine refuses a long last name in a
// long path that it takes when it is made relative to its parent.
HKEY CreateKey(const std::string &path) {
  HKEY key = HKEY_LOCAL_MACHINE;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    HKEY child = NULL;
    LONG rc = RegCreateKeyExA(key, path.substr(start, end - start).c_str(), 0, NULL, 0, kSam, NULL, &child, NULL);
    EXPECT_EQ(rc, ERROR_SUCCESS) << path;
    if (key != HKEY_LOCAL_MACHINE) RegCloseKey(key);
    key = child;
    start = end + 1;
  }
  return key;
}
}  // namespace

std::string RuntimeRegistry::RootPath(View view) {
  return view == View::Wow ? "SOFTWARE\\Wow6432Node\\JavaSoft\\Java Runtime Environment"
                           : "SOFTWARE\\JavaSoft\\Java Runtime Environment";
}

void RuntimeRegistry::Clear() {
  for (View v : {View::Plain, View::Wow}) RegDeleteTreeA(HKEY_LOCAL_MACHINE, RootPath(v).c_str());
}

RuntimeRegistry::RuntimeRegistry() { Clear(); }
RuntimeRegistry::~RuntimeRegistry() { Clear(); }

void RuntimeRegistry::CreateRoot(View view) { RegCloseKey(CreateKey(RootPath(view))); }

void RuntimeRegistry::Add(View view, const std::string &name, const char *home) {
  HKEY key = CreateKey(RootPath(view) + "\\" + name);
  if (home) RegSetValueExA(key, "JavaHome", 0, REG_SZ, (const BYTE *)home, (DWORD)strlen(home) + 1);
  RegCloseKey(key);
}

void RuntimeRegistry::SetRawHome(View view, const std::string &name, DWORD type, const void *data, DWORD size) {
  HKEY key = CreateKey(RootPath(view) + "\\" + name);
  EXPECT_EQ(RegSetValueExA(key, "JavaHome", 0, type, (const BYTE *)data, size), ERROR_SUCCESS);
  RegCloseKey(key);
}

void RuntimeRegistry::Remove(View view, const std::string &name) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (RootPath(view) + "\\" + name).c_str());
}

std::vector<std::string> RuntimeRegistry::Enumerate(View view) {
  std::vector<std::string> names;
  HKEY key = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RootPath(view).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return names;
  char name[256];
  for (DWORD i = 0;; i++) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

TempDir::TempDir() { path_ = MakeTempFolder("quillon"); }

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::MakeDir(const std::string &relative) const {
  std::string full = path_;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    full += "\\" + relative.substr(start, end - start);
    CreateDirectoryA(full.c_str(), NULL);
    start = end + 1;
  }
  return full;
}

std::string TempDir::Touch(const std::string &relative) const {
  size_t slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeDir(relative.substr(0, slash));
  std::string full = path_ + "\\" + relative;
  WriteFileBytes(full, "");
  return full;
}

std::string MakeJavaHome(const TempDir &dir, const std::string &name, bool java, bool javaw) {
  std::string home = dir.MakeDir(name);
  if (java) dir.Touch(name + "\\bin\\java.exe");
  if (javaw) dir.Touch(name + "\\bin\\javaw.exe");
  return home;
}
