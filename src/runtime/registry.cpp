#include "runtime/registry.h"

#include <stdlib.h>
#include <string.h>

#include "globals.h"

int max_java_count = 0;

namespace {

LONG RealOpen(HKEY parent, const char *path, REGSAM sam, HKEY *key) {
  return RegOpenKeyExA(parent, path, 0, sam, key);
}

LONG RealQuerySubKeyCount(HKEY key, DWORD *count) {
  return RegQueryInfoKeyA(key, NULL, NULL, NULL, count, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
}

LONG RealEnumKey(HKEY key, DWORD index, char *name, DWORD *nameLen) {
  return RegEnumKeyExA(key, index, name, nameLen, NULL, NULL, NULL, NULL);
}

LONG RealQueryValue(HKEY key, const char *name, DWORD *type, BYTE *data, DWORD *dataLen) {
  return RegQueryValueExA(key, name, NULL, type, data, dataLen);
}

LONG RealClose(HKEY key) { return RegCloseKey(key); }

const char kPlainPath[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\";
const char kWowPath[] = "SOFTWARE\\Wow6432Node\\JavaSoft\\Java Runtime Environment\\";

// The registry does not promise a terminator: only a text type whose data
// ends inside the buffer counts. buf was zeroed before the read.
bool IsTerminatedText(DWORD type, const char *buf) {
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  return memchr(buf, '\0', MYBUFF) != NULL;
}

// Reads "JavaHome" of the runtime key into buf; true when it is a usable text.
bool ReadJavaHome(HKEY runtime, char *buf) {
  memset(buf, 0, MYBUFF);
  DWORD type = REG_NONE;
  DWORD len = MYBUFF;
  if (g_Registry.QueryValue(runtime, "JavaHome", &type, (BYTE *)buf, &len) != ERROR_SUCCESS) return false;
  return IsTerminatedText(type, buf);
}

}  // namespace

const RegistryOps kRealRegistry = {RealOpen, RealQuerySubKeyCount, RealEnumKey, RealQueryValue, RealClose};
RegistryOps g_Registry = kRealRegistry;

void SafeGetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
  if (lpSystemInfo == NULL) return;
  typedef void(WINAPI * GetNativeSystemInfoFn)(LPSYSTEM_INFO);
  HMODULE kernel = GetModuleHandleA("kernel32");
  GetNativeSystemInfoFn fn =
      kernel ? (GetNativeSystemInfoFn)(void *)GetProcAddress(kernel, "GetNativeSystemInfo") : NULL;
  if (fn)
    fn(lpSystemInfo);
  else
    GetSystemInfo(lpSystemInfo);
}

int GetSystemBits() {
  SYSTEM_INFO si = {};
  SafeGetNativeSystemInfo(&si);
  if (si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
      si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64)
    return 64;
  return 32;
}

char *GetJreHome_v2(int BIT, REGSAM regsam, int xth_visit) {
  char path[MYBUFF];
  lstrcpynA(path, BIT == 64 ? kWowPath : kPlainPath, MYBUFF);

  HKEY runtimes = NULL;
  if (g_Registry.Open(HKEY_LOCAL_MACHINE, path, regsam, &runtimes) != ERROR_SUCCESS) return NULL;

  // The count's status is not tested: a key that cannot tell stores 0.
  DWORD count = 0;
  g_Registry.QuerySubKeyCount(runtimes, &count);
  max_java_count = (int)count;

  char *buf = (char *)malloc(MYBUFF);
  bool found = false;
  if (buf) {
    for (DWORD i = 0; i < count; i++) {
      DWORD len = MYBUFF;
      if (g_Registry.EnumKey(runtimes, i, buf, &len) != ERROR_SUCCESS) break;
      if ((int)i == xth_visit) {
        found = true;
        break;
      }
    }
  }

  bool ok = false;
  HKEY runtime = NULL;
  if (found && g_Registry.Open(runtimes, buf, regsam, &runtime) == ERROR_SUCCESS) {
    ok = ReadJavaHome(runtime, buf);
    g_Registry.Close(runtime);
  }
  g_Registry.Close(runtimes);
  if (!ok) {
    free(buf);
    return NULL;
  }
  return buf;
}
