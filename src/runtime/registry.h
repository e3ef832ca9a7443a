// Native word size and the registry lookup of Java runtime home directories.
#pragma once
#include <windows.h>

#define MYBUFF 255

// The five registry operations the lookup uses. g_Registry holds the real
// registry's; tests put an in-memory store in its place. Each returns a
// Win32 status (ERROR_SUCCESS on success).
struct RegistryOps {
  LONG (*Open)(HKEY parent, const char *path, REGSAM sam, HKEY *key);
  LONG (*QuerySubKeyCount)(HKEY key, DWORD *count);
  LONG (*EnumKey)(HKEY key, DWORD index, char *name, DWORD *nameLen);
  LONG (*QueryValue)(HKEY key, const char *name, DWORD *type, BYTE *data, DWORD *dataLen);
  LONG (*Close)(HKEY key);
};
extern RegistryOps g_Registry;
extern const RegistryOps kRealRegistry;

void SafeGetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo);
int GetSystemBits();

// Home directory of the xth_visit-th runtime (from 0, in enumeration order)
// under the runtimes key of view BIT (64: Wow6432Node, else plain), or NULL.
// Stores the key's sub-key count in max_java_count whenever the key opens.
// The result is a terminated text of MYBUFF bytes; caller frees it with free().
char *GetJreHome_v2(int BIT, REGSAM regsam, int xth_visit);
