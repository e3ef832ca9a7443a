#include "support/registry_fixture.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "support/wine_helpers.h"

namespace {
// Each view is written as an installer of its own word size writes it: the
// same path, with the flag that picks the 64-bit or the 32-bit view. Without
// a flag a 32-bit process would land in the 32-bit view whatever it meant.
const char kRuntimes[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kJavaSoft[] = "SOFTWARE\\JavaSoft";
REGSAM ViewFlag(View view) { return view == View::Wow ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

// The view's runtimes key, created when create is set; NULL when absent.
// Caller closes.
HKEY OpenRuntimes(View view, bool create) {
  HKEY key = NULL;
  REGSAM sam = KEY_ALL_ACCESS | ViewFlag(view);
  LONG rc = create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRuntimes, 0, NULL, 0, sam, NULL, &key, NULL)
                   : RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRuntimes, 0, sam, &key);
  if (create) {
    EXPECT_EQ(rc, ERROR_SUCCESS) << kRuntimes << (view == View::Wow ? " (32-bit view)" : "");
  }
  return rc == ERROR_SUCCESS ? key : NULL;
}

// Creates the runtime key below the view's runtimes key one level at a time:
// Wine refuses a long last name in a long path that it takes when it is made
// relative to its parent. Caller closes.
HKEY CreateRuntime(View view, const std::string &name) {
  HKEY key = OpenRuntimes(view, true);
  size_t start = 0;
  while (key && start < name.size()) {
    size_t end = name.find('\\', start);
    if (end == std::string::npos) end = name.size();
    HKEY child = NULL;
    LONG rc = RegCreateKeyExA(key, name.substr(start, end - start).c_str(), 0, NULL, 0,
                              KEY_ALL_ACCESS | ViewFlag(view), NULL, &child, NULL);
    EXPECT_EQ(rc, ERROR_SUCCESS) << name;
    RegCloseKey(key);
    key = rc == ERROR_SUCCESS ? child : NULL;
    start = end + 1;
  }
  return key;
}

// Deletes sub (and all below it) under path in the view. RegDeleteTreeA takes
// no view flag, so it works relative to a parent opened in the view.
void DeleteInView(View view, const char *path, const std::string &sub) {
  HKEY parent = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS | ViewFlag(view), &parent) != ERROR_SUCCESS) return;
  RegDeleteTreeA(parent, sub.c_str());
  RegCloseKey(parent);
}
}  // namespace

// Also wipes what an earlier run that died left behind.
void RuntimeRegistry::Clear() {
  for (View v : {View::Plain, View::Wow}) DeleteInView(v, kJavaSoft, "Java Runtime Environment");
}

RuntimeRegistry::RuntimeRegistry() { Clear(); }
RuntimeRegistry::~RuntimeRegistry() { Clear(); }

void RuntimeRegistry::CreateRoot(View view) { RegCloseKey(OpenRuntimes(view, true)); }

void RuntimeRegistry::Add(View view, const std::string &name, const char *home) {
  HKEY key = CreateRuntime(view, name);
  if (key && home) RegSetValueExA(key, "JavaHome", 0, REG_SZ, (const BYTE *)home, (DWORD)strlen(home) + 1);
  if (key) RegCloseKey(key);
}

void RuntimeRegistry::SetRawHome(View view, const std::string &name, DWORD type, const void *data, DWORD size) {
  HKEY key = CreateRuntime(view, name);
  ASSERT_TRUE(key);
  // Wine stores a terminator of its own when the byte after the data is 0:
  // written from a copy followed by another byte, text stays as given.
  std::string copy((const char *)data, size);
  copy += 'X';
  EXPECT_EQ(RegSetValueExA(key, "JavaHome", 0, type, (const BYTE *)copy.data(), size), ERROR_SUCCESS);
  DWORD stored = 0;
  EXPECT_EQ(RegQueryValueExA(key, "JavaHome", NULL, NULL, NULL, &stored), ERROR_SUCCESS);
  EXPECT_EQ(stored, size) << name << ": stored with a terminator the data did not have";
  RegCloseKey(key);
}

void RuntimeRegistry::Remove(View view, const std::string &name) { DeleteInView(view, kRuntimes, name); }

std::vector<std::string> RuntimeRegistry::Enumerate(View view) {
  std::vector<std::string> names;
  HKEY key = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRuntimes, 0, KEY_READ | ViewFlag(view), &key) != ERROR_SUCCESS) return names;
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
