// An in-memory registry offering the lookup's five operations, with counters
// and injected faults. While one exists it stands in for the real registry.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/registry_fixture.h"

class FakeRegistry {
 public:
  struct Value {
    DWORD type;
    std::string data;
  };
  struct Key {
    std::vector<std::string> subkeys;  // enumeration order = insertion order
    std::map<std::string, Value> values;
  };

  FakeRegistry();   // installs itself into g_Registry
  ~FakeRegistry();  // puts the real registry back

  // Runtimes key of a view (created on first use) and runtimes under it.
  void AddRuntime(View view, const std::string &name, const char *home);
  void SetHome(View view, const std::string &name, DWORD type, const std::string &data);
  void RemoveRuntime(View view, const std::string &name);
  Key &RuntimesKey(View view);

  // Faults: the enumeration fails at this index; the sub-key count is refused.
  int failEnumAt = -1;
  bool failCount = false;
  // Called on every enumeration, before it answers (to change the store).
  std::function<void(DWORD index)> onEnum;

  // Counters.
  int opens = 0, closes = 0, enumCalls = 0;
  std::vector<REGSAM> masks;  // the mask of every open
  int OpenHandles() const { return (int)handles_.size(); }

 private:
  static std::string Path(View view);
  std::map<std::string, Key> keys_;
  std::map<HKEY, std::string> handles_;
  uintptr_t next_ = 0x4000;
  static FakeRegistry *current_;

  static LONG Open(HKEY parent, const char *path, REGSAM sam, HKEY *key);
  static LONG QuerySubKeyCount(HKEY key, DWORD *count);
  static LONG EnumKey(HKEY key, DWORD index, char *name, DWORD *nameLen);
  static LONG QueryValue(HKEY key, const char *name, DWORD *type, BYTE *data, DWORD *dataLen);
  static LONG Close(HKEY key);
};
