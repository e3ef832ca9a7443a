// The resources every test program carries, as Quillon.exe does: read back
// from this program's own module, and dialogs made from them.
#include <gtest/gtest.h>

#include "res/resource_checks.h"
#include "resource.h"

namespace {

// Identifiers that no template uses, so no template check would notice them.
static_assert(IDC_STATIC == -1 && IDD_MAIN_DIALOG == 101 && IDD_DLG1 == 101 && IDD_DLG2 == 102 && IDD_DLG3 == 10003,
              "template identifiers");
static_assert(IDC_EDT2 == 2002 && IDC_EDT3 == 2003 && IDC_CBO3 == 3003 && IDC_LNK1 == 5001,
              "identifiers of controls no template places");
// The link hands the address to the shell, which needs a full web address.
constexpr bool StartsWith(const char *s, const char *prefix) {
  return *prefix == 0 || (*s == *prefix && StartsWith(s + 1, prefix + 1));
}
static_assert(StartsWith(QUILLON_WEBSITE, "https://") && sizeof QUILLON_WEBSITE > sizeof "https://",
              "QUILLON_WEBSITE is a web address");

HMODULE Self() { return GetModuleHandleA(nullptr); }

TEST(Resources, TemplatesFieldByField) { CheckDialogTemplates(Self()); }
TEST(Resources, DialogsFromTemplates) { CheckDialogWindows(Self()); }
TEST(Resources, Manifest) { CheckManifest(Self()); }
TEST(Resources, IconGroup) { CheckIconGroup(Self()); }
TEST(Resources, OnlyTheseResourcesAllNeutral) { CheckResourceDirectory(Self()); }

}  // namespace
