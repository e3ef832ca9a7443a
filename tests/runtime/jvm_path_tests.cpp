// Executable resolution against the real registry and real files.
#include <gtest/gtest.h>

#include <string>

#include "globals.h"
#include "runtime/jvm_path.h"
#include "support/registry_fixture.h"

namespace {

TEST(JvmPath, JoinsAndPrefersJavaOverJavaw) {
  RuntimeRegistry reg;
  TempDir dir;
  const std::string both = MakeJavaHome(dir, "both", true, true);
  const std::string javaw = MakeJavaHome(dir, "javaw", false, true);
  const std::string slash = MakeJavaHome(dir, "slash", true, false);
  std::string fwd = slash;
  for (char &c : fwd)
    if (c == '\\') c = '/';
  struct Case {
    std::string home, expect;
  } cases[] = {
      {both, both + "\\bin\\java.exe"},
      {javaw, javaw + "\\bin\\javaw.exe"},
      {slash + "\\", slash + "\\bin\\java.exe"},
      {fwd + "/", fwd + "/bin\\java.exe"},
      {MakeJavaHome(dir, "none", false, false), ""},
      {dir.path() + "\\missing", ""},
  };
  for (size_t i = 0; i < sizeof cases / sizeof *cases; i++) {
    char name[8];
    snprintf(name, sizeof name, "r%zu", i);  // r0..r5 enumerate in this order
    reg.Add(View::Plain, name, cases[i].home.c_str());
  }
  for (size_t i = 0; i < sizeof cases / sizeof *cases; i++) {
    EXPECT_EQ(getJvmPath_v2((int)i), PATH_JVM);
    EXPECT_EQ(std::string(PATH_JVM), cases[i].expect) << cases[i].home;
  }
}

TEST(JvmPath, ViewFallThroughOnlyWhenThePlainViewHasNoHome) {
  RuntimeRegistry reg;
  TempDir dir;
  const std::string wow0 = MakeJavaHome(dir, "wow0", true, false);
  const std::string wow1 = MakeJavaHome(dir, "wow1", false, true);
  reg.Add(View::Plain, "a", MakeJavaHome(dir, "empty", false, false).c_str());
  reg.Add(View::Plain, "b", nullptr);  // no JavaHome
  reg.Add(View::Wow, "x", wow0.c_str());
  reg.Add(View::Wow, "y", wow1.c_str());
  reg.Add(View::Wow, "z", "C:\\nowhere");

  EXPECT_STREQ(getJvmPath_v2(0), "");  // found in the plain view, no executable
  EXPECT_EQ(std::string(getJvmPath_v2(1)), wow1 + "\\bin\\javaw.exe");
  EXPECT_EQ(max_java_count, 3);
  // An index neither view knows clears a path left by the call before.
  EXPECT_STREQ(getJvmPath_v2(7), "");
  getJvmPath_v2(1);
  EXPECT_STREQ(getJvmPath_v2(-1), "");
}

TEST(JvmPath, LongestHomeAndGbkHome) {
  RuntimeRegistry reg;
  TempDir dir;
  // A home of 254 characters, the longest the lookup returns.
  std::string name = "h";
  name += std::string(254 - dir.path().size() - 2, 'x');
  const std::string longest = MakeJavaHome(dir, name, false, true);
  ASSERT_EQ(longest.size(), 254u);
  reg.Add(View::Plain, "0", longest.c_str());
  // "中文目录" in code page 936.
  const std::string gbk = MakeJavaHome(dir, "\xD6\xD0\xCE\xC4\xC4\xBF\xC2\xBC", true, false);
  reg.Add(View::Plain, "1", gbk.c_str());

  EXPECT_EQ(std::string(getJvmPath_v2(0)), longest + "\\bin\\javaw.exe");
  EXPECT_EQ(strlen(PATH_JVM), 268u);
  EXPECT_EQ(std::string(getJvmPath_v2(1)), gbk + "\\bin\\java.exe");
}

}  // namespace
