// The manifest's name line and failure lines, byte for byte, for a table of
// manifests read from ./versions/manifest.json.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "launch/manifest.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

using namespace std::string_literals;

// The allocation seam: launch_tests is linked with --wrap=malloc and
// --wrap=realloc, so every allocation of the product's code, of RapidJSON's
// and of the C++ library's operator new comes through here. Armed with n,
// the nth allocation from then on fails, once.
static int g_failAllocation;
extern "C" void *__real_malloc(size_t size);
extern "C" void *__real_realloc(void *block, size_t size);
static bool AllocationFails() { return g_failAllocation > 0 && --g_failAllocation == 0; }
extern "C" void *__wrap_malloc(size_t size) { return AllocationFails() ? NULL : __real_malloc(size); }
extern "C" void *__wrap_realloc(void *block, size_t size) {
  return AllocationFails() ? NULL : __real_realloc(block, size);
}

namespace {

const std::string READ_FAILURE = "fail to read json file: ./versions/manifest.json\n";
const std::string PARSE_FAILURE = "fail to parse json file: ./versions/manifest.json\n";

enum class Manifest { File, Missing, Directory };

struct Case {
  const char *what;
  Manifest kind;
  std::string bytes, out, err;
};

Case File(const char *what, const std::string &bytes, const std::string &out, const std::string &err = "") {
  return {what, Manifest::File, bytes, out, err};
}

std::string ReadBack(FILE *f) {
  std::string text;
  rewind(f);
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
  fclose(f);
  return text;
}

// Writes the case's manifest below dir (the current directory) and reads it,
// with the failAllocation-th allocation of the read failing when that is
// not 0. True when an allocation was made to fail.
bool Read(const TempDir &dir, const Case &c, std::string *out, std::string *err, int failAllocation = 0) {
  RemoveTree(dir.path() + "\\versions");
  dir.MakeDir("versions");
  if (c.kind == Manifest::File) WriteFileBytes(dir.path() + "\\versions\\manifest.json", c.bytes);
  if (c.kind == Manifest::Directory) dir.MakeDir("versions\\manifest.json");
  FILE *outFile = fopen((dir.path() + "\\out").c_str(), "w+b");
  FILE *errFile = fopen((dir.path() + "\\err").c_str(), "w+b");
  g_failAllocation = failAllocation;
  ReportManifestName(MANIFEST_PATH, outFile, errFile);
  bool failed = failAllocation && g_failAllocation == 0;
  g_failAllocation = 0;
  *out = ReadBack(outFile);
  *err = ReadBack(errFile);
  return failed;
}

TEST(Manifest, NameAndFailureLines) {
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());
  const Case cases[] = {
      File("name", R"({"name":"1.16.5"})", "name: 1.16.5\n"),
      File("no name", R"({"id":"1.16.5","type":"release"})", ""),
      File("number name", R"({"name":1.16})", ""),
      File("number name, then a string name", R"({"name":1,"name":"1.16.5"})", ""),
      File("string name, then a number name", R"({"name":"first","name":2})", "name: first\n"),
      File("name below the root", R"({"inner":{"name":"x"}})", ""),
      File("printf directives in the name", R"({"name":"%s%d%n"})", "name: %s%d%n\n"),
      File("CR LF line ends", "{\r\n  \"name\": \"1.16.5\"\r\n}\r\n", "name: 1.16.5\n"),
      File("blanks around the object", " \t\r\n{\"name\":\"a b\"}\n\n\t ", "name: a b\n"),
      File("0x1A ends the text", "{\"name\":\"x\"}\x1A}} junk \0 {\"name\":\"y\"}"s, "name: x\n"),
      File("0x1A inside the object", "{\"name\":\"x\"\x1A}", "", PARSE_FAILURE),
      File("NUL byte ends the text", "{\"name\":\"x\"}\0junk"s, "name: x\n"),
      File("NUL byte first", "\0{\"name\":\"x\"}"s, "", PARSE_FAILURE),
      File("UTF-8 byte-order mark", "\xEF\xBB\xBF{\"name\":\"x\"}", "", PARSE_FAILURE),
      File("second value", R"({"name":"x"} {})", "", PARSE_FAILURE),
      File("text after the object", "{\"name\":\"x\"}\nname", "", PARSE_FAILURE),
      File("empty file", "", "", PARSE_FAILURE),
      File("blank file", " \r\n\t", "", PARSE_FAILURE),
      {"missing file", Manifest::Missing, "", "", READ_FAILURE + PARSE_FAILURE},
      {"directory in its place", Manifest::Directory, "", "", READ_FAILURE + PARSE_FAILURE},
      File("escaped NUL in the name", R"({"name":"1.16\u00005"})", "name: 1.16\n"),
      // GBK bytes (not UTF-8), UTF-8 bytes and an escape decoded to UTF-8.
      File("non-ASCII name", "{\"name\":\"\xD6\xD0\xCE\xC4 \xE4\xB8\xAD \\u4e2d\"}",
           "name: \xD6\xD0\xCE\xC4 \xE4\xB8\xAD \xE4\xB8\xAD\n"),
      // Ten exponent digits after ten fraction digits overflowed RapidJSON's
      // sum of the two; such numbers are 0.
      File("ten-digit negative exponents", R"({"name":"x","v":[1.0000000000e-2147483639,-0.0000000001E-9999999999]})",
           "name: x\n"),
      // What a fuzzer found of the same kind: the sum wrapped after 11 and
      // 18 fraction digits.
      File("ten-digit negative exponents found by fuzzing",
           R"({"name":"x","v":[0.00000000001e-2147483639,0.090050001473944278E-2147483635]})", "name: x\n"),
      File("array root", R"([{"name":"x"}])", ""),
      File("string root", R"("name")", ""),
      File("number root", "1", ""),
      File("true root", "true", ""),
      File("false root", "false", ""),
      File("null root", "null", ""),
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::string out, err;
    Read(dir, c, &out, &err);
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(err, c.err);
  }
}

// Memory runs out at each allocation in turn while a manifest is read and
// parsed: each time the failure is reported and the next read works again.
TEST(Manifest, EachAllocationFailingIsReported) {
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());
  // Longer than one 4 KB read, with the name after the rest.
  std::string json = "{\"libraries\":[";
  for (int i = 0; i < 400; i++)
    json += "{\"id\":\"lib" + std::to_string(i) + "\",\"size\":" + std::to_string(i) + "},";
  json += "{}],\"name\":\"1.16.5\"}";
  const Case ok = File("the manifest", json, "name: 1.16.5\n");
  int failures = 0;
  for (int n = 1; n < 1000; n++) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
    std::string out, err;
    bool failed = Read(dir, ok, &out, &err, n);
    if (!failed) {  // fewer than n allocations: nothing failed
      EXPECT_EQ(out, ok.out);
      EXPECT_EQ(err, "");
      break;
    }
    failures++;
    // Reported as a failure to read or to parse, or made good (a read
    // that goes on in smaller steps): never half a name, never a crash.
    if (out.empty())
      EXPECT_TRUE(err == READ_FAILURE + PARSE_FAILURE || err == PARSE_FAILURE) << err;
    else
      EXPECT_EQ(out + err, ok.out);
    Read(dir, ok, &out, &err);
    EXPECT_EQ(out, ok.out);
  }
  EXPECT_GE(failures, 2);
  printf("%d allocations made failing in turn\n", failures);
}

// The deep manifests, in a scope of their own: true when every one gives
// the lines it should.
bool DeepManifestsReadRight() {
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());
  const std::string deep(1000000, '['), deepEnd(1000000, ']');
  const Case cases[] = {
      File("a million unclosed '['", deep, "", PARSE_FAILURE),
      File("a million nested arrays", deep + deepEnd, ""),
      File("a million nested arrays beside the name", R"({"name":"x","deep":)" + deep + deepEnd + "}", "name: x\n"),
  };
  for (const Case &c : cases) {
    std::string out, err;
    Read(dir, c, &out, &err);
    if (out != c.out || err != c.err) return false;
  }
  return true;
}

// Under Wine a stack overflow can end a process with exit code 0, which a
// test run takes for success: deep nesting is read in a child process that
// must end with a code of its own.
TEST(ManifestDeathTest, DeepNestingNeitherOverflowsNorMisreads) {
  EXPECT_EXIT(_exit(DeepManifestsReadRight() ? 42 : 1), ::testing::ExitedWithCode(42), "");
}

}  // namespace
