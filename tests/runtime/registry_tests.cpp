// The runtime lookup against the real (Wine) registry.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "globals.h"
#include "runtime/registry.h"
#include "support/registry_fixture.h"

namespace {

const REGSAM kMask = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY;

struct Home {
  explicit Home(char *p) : text(p) {}
  ~Home() { free(text); }
  char *text;
};

int BitOf(View v) { return v == View::Wow ? 64 : 32; }

// The word size comes from the machine itself, not from the view of it that
// a 32-bit process gets under WOW64 (there GetSystemInfo says x86): a 64-bit
// process, or a 32-bit one under WOW64, must see a machine that is not x86,
// and an x64 or Itanium machine is a 64-bit one.
TEST(SystemBits, FollowTheNativeMachine) {
  SafeGetNativeSystemInfo(NULL);  // tolerated, does nothing
  SYSTEM_INFO native = {}, si = {};
  GetNativeSystemInfo(&native);
  SafeGetNativeSystemInfo(&si);
  EXPECT_EQ(si.wProcessorArchitecture, native.wProcessorArchitecture);
  EXPECT_EQ(si.dwNumberOfProcessors, native.dwNumberOfProcessors);
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (sizeof(void *) == 8 || wow64) {
    EXPECT_NE(si.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
  }
  const WORD arch = native.wProcessorArchitecture;
  const bool wide = arch == PROCESSOR_ARCHITECTURE_AMD64 || arch == PROCESSOR_ARCHITECTURE_IA64;
  EXPECT_EQ(GetSystemBits(), wide ? 64 : 32) << "architecture " << arch;
}

TEST(RegistryLookup, NoRuntimesKeyInEitherView) {
  RuntimeRegistry reg;
  max_java_count = 0;
  for (int bit : {32, 64})
    for (int i : {0, 1, 100}) EXPECT_EQ(Home(GetJreHome_v2(bit, kMask, i)).text, nullptr);
  EXPECT_EQ(max_java_count, 0);
}

TEST(RegistryLookup, CountProbeAndHandOverBetweenViews) {
  RuntimeRegistry reg;
  for (const char *n : {"1.8", "1.8.0_301", "11"}) reg.Add(View::Plain, n, "C:\\jre");
  max_java_count = 0;
  EXPECT_EQ(Home(GetJreHome_v2(32, kMask, 100)).text, nullptr);
  EXPECT_EQ(max_java_count, 3);

  // The Wow6432Node key cannot be opened: the plain view's count stays.
  EXPECT_EQ(Home(GetJreHome_v2(64, kMask, 100)).text, nullptr);
  EXPECT_EQ(max_java_count, 3);

  // Once it opens, its count wins, even an empty key's.
  reg.CreateRoot(View::Wow);
  EXPECT_EQ(Home(GetJreHome_v2(64, kMask, 100)).text, nullptr);
  EXPECT_EQ(max_java_count, 0);
  reg.Add(View::Wow, "17", "C:\\jdk17");
  EXPECT_EQ(Home(GetJreHome_v2(64, kMask, -1)).text, nullptr);
  EXPECT_EQ(max_java_count, 1);
}

TEST(RegistryLookup, EveryIndexOfBothViewsInEnumerationOrder) {
  RuntimeRegistry reg;
  for (View v : {View::Plain, View::Wow}) {
    reg.Add(v, "1.8", "C:\\java\\short");
    reg.Add(v, "1.8.0_301", "C:\\java\\long");
    reg.Add(v, "no-home", nullptr);
    std::vector<std::string> order = RuntimeRegistry::Enumerate(v);
    ASSERT_EQ(order.size(), 3u);
    for (int i = 0; i < 3; i++) {
      Home h(GetJreHome_v2(BitOf(v), kMask, i));
      if (order[i] == "no-home") {
        EXPECT_EQ(h.text, nullptr);
      } else {
        ASSERT_NE(h.text, nullptr) << order[i];
        EXPECT_STREQ(h.text, order[i] == "1.8" ? "C:\\java\\short" : "C:\\java\\long");
      }
    }
    EXPECT_EQ(Home(GetJreHome_v2(BitOf(v), kMask, 3)).text, nullptr);
  }
}

// "JavaHome" data that the registry hands back without a terminator, or that
// is not text, gives no home; an empty text is an (empty) home.
TEST(RegistryLookup, JavaHomeDataOfEveryShape) {
  RuntimeRegistry reg;
  struct Case {
    const char *name;
    DWORD type;
    std::string data;
    const char *expect;  // nullptr: no result
  };
  const std::string a254(254, 'a'), a255(255, 'a');
  const DWORD dword = 0x41414141;
  const Case cases[] = {
      {"unterminated-255", REG_SZ, a255, nullptr},
      {"unterminated-3", REG_SZ, "abc", "abc"},
      {"unterminated-254", REG_SZ, a254, a254.c_str()},
      {"terminated-254", REG_SZ, a254 + '\0', a254.c_str()},
      {"too-long", REG_SZ, a255 + '\0', nullptr},
      {"empty", REG_SZ, "", ""},
      {"expand", REG_EXPAND_SZ, std::string("C:\\x") + '\0', "C:\\x"},
      {"dword", REG_DWORD, std::string((const char *)&dword, 4), nullptr},
      {"binary", REG_BINARY, std::string("C:\\y\0", 5), nullptr},
  };
  for (const Case &c : cases) {
    reg.Add(View::Plain, c.name, nullptr);
    reg.SetRawHome(View::Plain, c.name, c.type, c.data.data(), (DWORD)c.data.size());
  }
  std::vector<std::string> order = RuntimeRegistry::Enumerate(View::Plain);
  for (int i = 0; i < (int)order.size(); i++) {
    const Case *c = nullptr;
    for (const Case &k : cases)
      if (order[i] == k.name) c = &k;
    ASSERT_NE(c, nullptr);
    Home h(GetJreHome_v2(32, kMask, i));
    if (!c->expect) {
      EXPECT_EQ(h.text, nullptr) << c->name;
    } else {
      ASSERT_NE(h.text, nullptr) << c->name;
      EXPECT_STREQ(h.text, c->expect) << c->name;
    }
  }
}

TEST(RegistryLookup, SubKeyNamesOf254And255Characters) {
  RuntimeRegistry reg;
  reg.Add(View::Plain, std::string(254, 'k'), "C:\\k254");
  EXPECT_STREQ(Home(GetJreHome_v2(32, kMask, 0)).text, "C:\\k254");
  // A 255-character name does not fit the name buffer: the enumeration
  // fails and the lookup ends with no result rather than a cut name.
  reg.Remove(View::Plain, std::string(254, 'k'));
  reg.Add(View::Plain, std::string(255, 'k'), "C:\\k255");
  EXPECT_EQ(Home(GetJreHome_v2(32, kMask, 0)).text, nullptr);
  EXPECT_EQ(max_java_count, 1);
}

}  // namespace
