// The resources linked into the shipped executables themselves, read with
// Quillon.exe loaded as a data file: the build beside the tests and, from the
// 64-bit build, the 32-bit product too.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "res/resource_checks.h"
#include "support/program.h"

namespace {

#ifdef _WIN64
// A Unix path as the Windows side sees it (Wine maps Z: to the root).
std::string FromUnix(const std::string &path) {
  std::string out = "Z:" + path;
  for (char &c : out)
    if (c == '/') c = '\\';
  return out;
}
std::string Win32Path() { return FromUnix(QUILLON_WIN32_PROGRAM); }
#endif

struct Build {
  const char *name;
  std::string (*path)();
  WORD machine;
};

void PrintTo(const Build &build, std::ostream *os) { *os << build.name; }

// A vector, not an array: GCC 14 takes the copy ValuesIn makes of a
// one-element array for a read past its end (-Warray-bounds).
#ifdef _WIN64
const std::vector<Build> kBuilds = {
    {"win64", ProgramPath, IMAGE_FILE_MACHINE_AMD64},
    {"win32", Win32Path, IMAGE_FILE_MACHINE_I386},
};
#else
const std::vector<Build> kBuilds = {{"win32", ProgramPath, IMAGE_FILE_MACHINE_I386}};
#endif

class ProgramResources : public ::testing::TestWithParam<Build> {
 protected:
  void SetUp() override {
    const std::string path = GetParam().path();
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      // tools/test builds build/win32 before this build; only a hand-made
      // test build can lack it.
      if (GetParam().machine == IMAGE_FILE_MACHINE_I386)
        GTEST_SKIP() << "no 32-bit product at " << path << ": build the win32 preset first";
      FAIL() << "missing " << path;
    }
    module_ = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << path << ": error " << GetLastError();
    // The image really is the build asked for, not some other file.
    const BYTE *base = reinterpret_cast<const BYTE *>((ULONG_PTR)module_ & ~(ULONG_PTR)3);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    ASSERT_EQ(nt->FileHeader.Machine, GetParam().machine);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = NULL;
};

TEST_P(ProgramResources, TemplatesFieldByField) { CheckDialogTemplates(module_); }
TEST_P(ProgramResources, DialogsFromTemplates) { CheckDialogWindows(module_); }
TEST_P(ProgramResources, Manifest) { CheckManifest(module_); }
TEST_P(ProgramResources, IconGroup) { CheckIconGroup(module_); }
TEST_P(ProgramResources, OnlyTheseResourcesAllNeutral) { CheckResourceDirectory(module_); }

INSTANTIATE_TEST_SUITE_P(Builds, ProgramResources, ::testing::ValuesIn(kBuilds),
                         [](const ::testing::TestParamInfo<Build> &info) { return std::string(info.param.name); });

}  // namespace
