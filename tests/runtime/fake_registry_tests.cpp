// The lookup against an in-memory registry: faults the real one cannot be
// made to show, and counts of what the lookup asks of the registry.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "globals.h"
#include "runtime/jvm_path.h"
#include "runtime/registry.h"
#include "support/fake_registry.h"

namespace {

const REGSAM kMask = 0x0109;

std::string Lookup(int bit, int index, bool *found) {
  char *home = GetJreHome_v2(bit, kMask, index);
  *found = home != nullptr;
  std::string text = home ? home : "";
  free(home);
  return text;
}

TEST(FakeRegistryLookup, EveryPathClosesWhatItOpened) {
  struct Case {
    const char *what;
    std::function<void(FakeRegistry &)> arrange;
    int index;
    bool found;
    int count;
  } cases[] = {
      {"found", [](FakeRegistry &) {}, 1, true, 3},
      {"index past the end", [](FakeRegistry &) {}, 100, false, 3},
      {"negative index", [](FakeRegistry &) {}, -5, false, 3},
      {"enumeration fails before the index", [](FakeRegistry &r) { r.failEnumAt = 1; }, 2, false, 3},
      {"enumeration fails after the index", [](FakeRegistry &r) { r.failEnumAt = 2; }, 1, true, 3},
      {"count refused", [](FakeRegistry &r) { r.failCount = true; }, 0, false, 0},
      {"no JavaHome", [](FakeRegistry &r) { r.AddRuntime(View::Plain, "d", nullptr); }, 3, false, 4},
      {"named sub-key missing", [](FakeRegistry &r) { r.RuntimesKey(View::Plain).subkeys.push_back("ghost"); }, 3,
       false, 4},
      {"unterminated 255 bytes", [](FakeRegistry &r) { r.SetHome(View::Plain, "b", REG_SZ, std::string(255, 'x')); },
       1, false, 3},
      {"REG_DWORD", [](FakeRegistry &r) { r.SetHome(View::Plain, "b", REG_DWORD, std::string("\1\0\0\0", 4)); }, 1,
       false, 3},
  };
  for (const Case &c : cases) {
    FakeRegistry reg;
    for (const char *n : {"a", "b", "c"}) reg.AddRuntime(View::Plain, n, "C:\\java");
    c.arrange(reg);
    max_java_count = -7;
    bool found;
    Lookup(32, c.index, &found);
    EXPECT_EQ(found, c.found) << c.what;
    EXPECT_EQ(max_java_count, c.count) << c.what;
    EXPECT_GT(reg.opens, 0) << c.what;
    EXPECT_EQ(reg.opens, reg.closes) << c.what;
    EXPECT_EQ(reg.OpenHandles(), 0) << c.what;
    if (c.count == 0) {
      EXPECT_EQ(reg.enumCalls, 0) << c.what;
    }
  }
}

TEST(FakeRegistryLookup, ResultIsAlwaysTerminatedInsideTheBuffer) {
  FakeRegistry reg;
  reg.AddRuntime(View::Plain, "a", nullptr);
  for (size_t len : {0u, 1u, 200u, 253u, 254u}) {
    reg.SetHome(View::Plain, "a", REG_SZ, std::string(len, 'q'));  // no terminator given
    bool found;
    std::string home = Lookup(32, 0, &found);
    ASSERT_TRUE(found) << len;
    EXPECT_EQ(home, std::string(len, 'q'));
  }
}

TEST(FakeRegistryResolve, MaskAndEnumerationCostOfListingNRuntimes) {
  for (int n : {1, 5, 20}) {
    FakeRegistry reg;
    for (int i = 0; i < n; i++) reg.AddRuntime(View::Plain, "r" + std::to_string(i), "C:\\none");
    for (int i = 0; i < n; i++) getJvmPath_v2(i);
    // The lookup starts again from index 0 on every call.
    EXPECT_EQ(reg.enumCalls, n * (n + 1) / 2) << n;
    EXPECT_EQ(reg.opens, reg.closes);
    for (REGSAM m : reg.masks) EXPECT_EQ(m, kMask);  // a 64-bit machine
  }
}

TEST(FakeRegistryResolve, EmptyHomeIsTheEmptyTextWithoutTryingTheOtherView) {
  FakeRegistry reg;
  reg.AddRuntime(View::Plain, "a", "");
  reg.AddRuntime(View::Wow, "w", "C:\\wow");
  strcpy(PATH_JVM, "stale");
  EXPECT_STREQ(getJvmPath_v2(0), "");
  EXPECT_EQ(max_java_count, 1);
  EXPECT_EQ(reg.opens, 2);  // the plain runtimes key and its sub-key only
}

}  // namespace
