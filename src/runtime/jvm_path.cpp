#include "runtime/jvm_path.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "runtime/registry.h"

char PATH_JVM[PATH_LEN] = "";
const char *const DIR_JVM[2] = {"bin\\java.exe", "bin\\javaw.exe"};

namespace {

// Formats home joined with name into PATH_JVM; false (and PATH_JVM empty)
// when it does not fit. The separator test looks at the last byte only.
bool JoinIntoPathJvm(const char *home, const char *name) {
  size_t n = strlen(home);
  char last = n ? home[n - 1] : '\0';
  const char *fmt = (last == '\\' || last == '/') ? "%s%s" : "%s\\%s";
  int written = snprintf(PATH_JVM, PATH_LEN, fmt, home, name);
  if (written < 0 || written >= PATH_LEN) {
    PATH_JVM[0] = '\0';
    return false;
  }
  return true;
}

bool FileOpensForReading(const char *path) {
  FILE *f = fopen(path, "rb");
  if (!f) return false;
  fclose(f);  // NOLINT(cert-err33-c) opened to read nothing: closing cannot lose anything
  return true;
}

}  // namespace

char *getJvmPath_v2(int xth_visit) {
  REGSAM regsam = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  if (GetSystemBits() == 64) regsam |= KEY_WOW64_64KEY;

  char *home = GetJreHome_v2(32, regsam, xth_visit);
  if (!home) home = GetJreHome_v2(64, regsam, xth_visit);
  PATH_JVM[0] = '\0';
  if (!home) return PATH_JVM;

  // An empty home names no folder: the empty text, without trying the
  // current directory's bin\java.exe.
  if (home[0] != '\0') {
    for (const char *name : DIR_JVM) {
      if (JoinIntoPathJvm(home, name) && FileOpensForReading(PATH_JVM)) break;
      PATH_JVM[0] = '\0';
    }
  }
  free(home);
  return PATH_JVM;
}
