// Runtime detection as the selection window does it (a count probe, then
// every index) against the floor: one enumeration pass over the runtimes key
// with one value read per runtime, and the same file probes.
#include <stdio.h>

#include <string>

#include "bench/bench.h"
#include "globals.h"
#include "runtime/jvm_path.h"
#include "support/registry_fixture.h"

namespace {

void DetectAll() {
  getJvmPath_v2(100);
  for (int i = 0; i < max_java_count; i++) getJvmPath_v2(i);
}

bool Opens(const std::string &path) {
  FILE *f = fopen(path.c_str(), "rb");
  if (f) fclose(f);
  return f != NULL;
}

// One pass: every sub-key, its "JavaHome", and the executable probes.
int Floor() {
  HKEY root;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\JavaSoft\\Java Runtime Environment\\", 0, 0x0109, &root)) return 0;
  int found = 0;
  char name[255], home[255];
  for (DWORD i = 0;; i++) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(root, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
    HKEY sub;
    if (RegOpenKeyExA(root, name, 0, 0x0109, &sub) != ERROR_SUCCESS) continue;
    DWORD size = sizeof home;
    if (RegQueryValueExA(sub, "JavaHome", NULL, NULL, (BYTE *)home, &size) == ERROR_SUCCESS)
      found += Opens(std::string(home) + "\\bin\\java.exe") || Opens(std::string(home) + "\\bin\\javaw.exe");
    RegCloseKey(sub);
  }
  RegCloseKey(root);
  return found;
}

}  // namespace

void BenchRuntimeDetection() {
  printf("runtime detection (probe + every index) vs one enumeration pass\n");
  for (int n : {1, 10, 100, 1000}) {
    RuntimeRegistry reg;
    TempDir dir;
    for (int i = 0; i < n; i++) {
      char name[32];
      snprintf(name, sizeof name, "1.8.0_%04d", i);
      // Half the homes hold only javaw.exe, so both probes run.
      reg.Add(View::Plain, name, MakeJavaHome(dir, name, i % 2 == 0, true).c_str());
    }
    int rounds = n >= 1000 ? 3 : 20;
    double ours = BestMicros(rounds, DetectAll);
    double floor = BestMicros(rounds, Floor);
    printf("  N=%-5d %10.0f us  floor %8.0f us  ratio %6.2fx\n", n, ours, floor, ours / floor);
  }
}
