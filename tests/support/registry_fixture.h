// Runtime registrations in the real (Wine) registry, in both views, and
// runtime home folders with bin\java.exe / bin\javaw.exe on disk.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

enum class View { Plain, Wow };

// Removes both views' runtimes keys when made and again when destroyed, so
// every test starts from a machine with no runtime registered.
class RuntimeRegistry {
 public:
  RuntimeRegistry();
  ~RuntimeRegistry();
  // Creates the runtimes key of the view (with no runtime under it).
  void CreateRoot(View view);
  // Registers sub-key name under the view's runtimes key; with home set,
  // "JavaHome" holds it as REG_SZ.
  void Add(View view, const std::string &name, const char *home);
  // Sets "JavaHome" of an existing runtime to raw data of any type.
  void SetRawHome(View view, const std::string &name, DWORD type, const void *data, DWORD size);
  void Remove(View view, const std::string &name);
  static void Clear();
  // Sub-key names in the registry's own enumeration order.
  static std::vector<std::string> Enumerate(View view);
};

// A folder under the temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string &path() const { return path_; }
  // Makes dir (relative, created with its parents) and writes an empty file.
  std::string Touch(const std::string &relative) const;
  std::string MakeDir(const std::string &relative) const;

 private:
  std::string path_;
};

// A runtime home with the named executables: "java", "javaw", both or none.
std::string MakeJavaHome(const TempDir &dir, const std::string &name, bool java, bool javaw);
