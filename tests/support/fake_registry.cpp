#include "support/fake_registry.h"

#include <string.h>

#include "runtime/registry.h"

FakeRegistry *FakeRegistry::current_ = nullptr;

FakeRegistry::FakeRegistry() {
  current_ = this;
  g_Registry = RegistryOps{Open, QuerySubKeyCount, EnumKey, QueryValue, Close};
}

FakeRegistry::~FakeRegistry() {
  g_Registry = kRealRegistry;
  current_ = nullptr;
}

std::string FakeRegistry::Path(View view) {
  return view == View::Wow ? "SOFTWARE\\Wow6432Node\\JavaSoft\\Java Runtime Environment"
                           : "SOFTWARE\\JavaSoft\\Java Runtime Environment";
}

FakeRegistry::Key &FakeRegistry::RuntimesKey(View view) { return keys_[Path(view)]; }

void FakeRegistry::AddRuntime(View view, const std::string &name, const char *home) {
  Key &root = RuntimesKey(view);
  root.subkeys.push_back(name);
  Key &runtime = keys_[Path(view) + "\\" + name];
  if (home) runtime.values["JavaHome"] = Value{REG_SZ, std::string(home) + '\0'};
}

void FakeRegistry::SetHome(View view, const std::string &name, DWORD type, const std::string &data) {
  keys_[Path(view) + "\\" + name].values["JavaHome"] = Value{type, data};
}

void FakeRegistry::RemoveRuntime(View view, const std::string &name) {
  Key &root = RuntimesKey(view);
  for (size_t i = 0; i < root.subkeys.size(); i++)
    if (root.subkeys[i] == name) root.subkeys.erase(root.subkeys.begin() + i);
  keys_.erase(Path(view) + "\\" + name);
}

LONG FakeRegistry::Open(HKEY parent, const char *path, REGSAM sam, HKEY *key) {
  FakeRegistry *r = current_;
  r->masks.push_back(sam);
  std::string full;
  if (parent != HKEY_LOCAL_MACHINE) {
    auto it = r->handles_.find(parent);
    if (it == r->handles_.end()) return ERROR_INVALID_HANDLE;
    full = it->second + "\\";
  }
  full += path;
  while (!full.empty() && full.back() == '\\') full.pop_back();
  if (!r->keys_.count(full)) return ERROR_FILE_NOT_FOUND;
  r->opens++;
  *key = (HKEY)(r->next_++);
  r->handles_[*key] = full;
  return ERROR_SUCCESS;
}

LONG FakeRegistry::QuerySubKeyCount(HKEY key, DWORD *count) {
  FakeRegistry *r = current_;
  auto it = r->handles_.find(key);
  if (it == r->handles_.end()) return ERROR_INVALID_HANDLE;
  if (r->failCount) return ERROR_ACCESS_DENIED;
  *count = (DWORD)r->keys_[it->second].subkeys.size();
  return ERROR_SUCCESS;
}

LONG FakeRegistry::EnumKey(HKEY key, DWORD index, char *name, DWORD *nameLen) {
  FakeRegistry *r = current_;
  r->enumCalls++;
  if (r->onEnum) r->onEnum(index);
  auto it = r->handles_.find(key);
  if (it == r->handles_.end()) return ERROR_INVALID_HANDLE;
  if ((int)index == r->failEnumAt) return ERROR_ACCESS_DENIED;
  const std::vector<std::string> &subkeys = r->keys_[it->second].subkeys;
  if (index >= subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string &s = subkeys[index];
  if (s.size() + 1 > *nameLen) return ERROR_MORE_DATA;  // as RegEnumKeyExA: room for the NUL
  memcpy(name, s.c_str(), s.size() + 1);
  *nameLen = (DWORD)s.size();
  return ERROR_SUCCESS;
}

// Answers as Wine's RegQueryValueExA was measured to: data larger than the
// buffer leaves it untouched; a text that leaves room gets a NUL appended.
LONG FakeRegistry::QueryValue(HKEY key, const char *name, DWORD *type, BYTE *data, DWORD *dataLen) {
  FakeRegistry *r = current_;
  auto it = r->handles_.find(key);
  if (it == r->handles_.end()) return ERROR_INVALID_HANDLE;
  Key &k = r->keys_[it->second];
  auto v = k.values.find(name);
  if (v == k.values.end()) return ERROR_FILE_NOT_FOUND;
  const std::string &d = v->second.data;
  if (type) *type = v->second.type;
  if (d.size() > *dataLen) {
    *dataLen = (DWORD)d.size();
    return ERROR_MORE_DATA;
  }
  memcpy(data, d.data(), d.size());
  bool text = v->second.type == REG_SZ || v->second.type == REG_EXPAND_SZ;
  if (text && !d.empty() && d.back() != '\0' && d.size() < *dataLen) data[d.size()] = 0;
  *dataLen = (DWORD)d.size();
  return ERROR_SUCCESS;
}

LONG FakeRegistry::Close(HKEY key) {
  FakeRegistry *r = current_;
  if (!r->handles_.erase(key)) return ERROR_INVALID_HANDLE;
  r->closes++;
  return ERROR_SUCCESS;
}
