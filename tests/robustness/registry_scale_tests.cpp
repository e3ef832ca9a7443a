// The runtime selection window against a thousand registered runtimes, and
// against runtimes that vanish while it fills its list: in the real (Wine)
// registry between two passes, and in the in-memory registry in the middle
// of a lookup.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "globals.h"
#include "main.h"
#include "resource.h"
#include "robustness/counters.h"
#include "runtime/java_select.h"
#include "runtime/jvm_path.h"
#include "support/fake_registry.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

std::string Key(int i, int width) {
  std::string digits = std::to_string(i);
  return "rt" + std::string(width - digits.size(), '0') + digits;
}

// A main window made from its template owns the selection windows, as in
// the program; both views start empty.
class Detection : public ::testing::Test {
 protected:
  RuntimeRegistry reg;
  TempDir dir;

  void SetUp() override {
    hInst = GetModuleHandleA(NULL);
    hMainDlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, MainDlgProc, 0);
    ASSERT_TRUE(hMainDlg);
    max_java_count = 0;
  }
  void TearDown() override {
    DestroyWindow(hMainDlg);
    MSG msg;
    PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
    hMainDlg = NULL;
  }
  HWND Open() { return CreateDialogParamA(hInst, MAKEINTRESOURCEA(IDD_DLG2), hMainDlg, JavaSelect_Window_Proc, 0); }
};

std::string Executable(const std::string &home, bool java) {
  return home + (java ? "\\bin\\java.exe" : "\\bin\\javaw.exe");
}

// Most homes name folders that do not exist (empty items); a few are real.
// In the QEMU guest, where each probe of a missing file takes 100 ms, a
// hundred runtimes.
TEST_F(Detection, AThousandRuntimesAreListedInResolverOrder) {
  const int kRuntimes = Rounds(100, 1000, 1000);
  const struct {
    int index;
    bool java, javaw;
  } kReal[] = {{0, true, false},
               {1, false, true},
               {kRuntimes / 2, true, false},
               {kRuntimes - 2, true, true},
               {kRuntimes - 1, true, false}};
  std::vector<std::string> pathOf(kRuntimes);
  for (int i = 0; i < kRuntimes; i++) {
    std::string home = "C:\\nowhere\\" + Key(i, 4);
    for (const auto &r : kReal)
      if (r.index == i) {
        home = MakeJavaHome(dir, Key(i, 4), r.java, r.javaw);
        pathOf[i] = Executable(home, r.java);
      }
    reg.Add(View::Plain, Key(i, 4), home.c_str());
  }
  // The list follows the registry's enumeration order, whatever it is.
  std::vector<std::string> expected;
  for (const std::string &key : RuntimeRegistry::Enumerate(View::Plain))
    expected.push_back(pathOf[std::stoi(key.substr(2))]);
  ASSERT_EQ(expected.size(), (size_t)kRuntimes);

  const int handlesBefore = CountHandles();
  DWORD start = GetTickCount();
  HWND w = Open();
  DWORD took = GetTickCount() - start;
  ASSERT_TRUE(w);
  printf("listing %d runtimes took %lu ms\n", kRuntimes, took);
  EXPECT_EQ(ComboItems(GetDlgItem(w, IDC_CBO2)), expected);
  EXPECT_EQ(max_java_count, kRuntimes);
  EXPECT_STREQ(jvm, expected.back().c_str());
  SendMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(w));
  // Every runtimes key, runtime key and probed file was closed again.
  EXPECT_EQ(CountHandles(), handlesBefore);
}

// Runtimes removed from the real registry after the fifth item went into the
// list: the count is read again before every pass, so the list goes on with
// the runtimes that are left, at the indices they now have.
struct Removal {
  RuntimeRegistry *reg = nullptr;
  int added = 0;
  int after = 5;
  std::vector<std::string> keys;
};
Removal *g_removal;

LRESULT CALLBACK RemoveAfterAdds(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT *c = (const CWPSTRUCT *)lParam;
  if (code == HC_ACTION && g_removal && c->message == CB_ADDSTRING && ++g_removal->added == g_removal->after) {
    try {
      for (const std::string &key : g_removal->keys) g_removal->reg->Remove(View::Plain, key);
    } catch (...) {  // nothing may unwind through the system's hook caller
    }
  }
  return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(Detection, RuntimesRemovedFromTheRegistryBetweenPasses) {
  std::vector<std::string> pathOf;
  for (int i = 0; i < 20; i++) {
    std::string home = MakeJavaHome(dir, Key(i, 2), true, false);
    pathOf.push_back(Executable(home, true));
    reg.Add(View::Plain, Key(i, 2), home.c_str());
  }
  ASSERT_EQ(RuntimeRegistry::Enumerate(View::Plain)[19], "rt19");
  Removal removal;
  removal.reg = &reg;
  removal.keys = {"rt03"};
  for (int i = 10; i < 20; i++) removal.keys.push_back(Key(i, 2));
  g_removal = &removal;
  const int handlesBefore = CountHandles();
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RemoveAfterAdds, NULL, GetCurrentThreadId());
  HWND w = Open();
  UnhookWindowsHookEx(hook);
  g_removal = nullptr;
  ASSERT_TRUE(w);
  // Passes 0-4 saw all twenty; from pass 5 on, nine are left and index 5 is rt06.
  const std::vector<std::string> expected = {pathOf[0], pathOf[1], pathOf[2], pathOf[3], pathOf[4],
                                             pathOf[6], pathOf[7], pathOf[8], pathOf[9]};
  EXPECT_EQ(ComboItems(GetDlgItem(w, IDC_CBO2)), expected);
  EXPECT_EQ(max_java_count, 9);
  SendMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(CountHandles(), handlesBefore);
}

// Runtimes removed from the in-memory registry in the middle of a lookup,
// while it enumerates: the lookup's own count is then stale, an index past
// the new end is not found, and the view's lookup gives no result. Ten
// plain-view runtimes rt0..rt9, each with bin\java.exe. The count probe
// (index 100) enumerates all of both views; pass p then enumerates indices
// 0..p of the plain view.
const int kProbe = -1;

TEST_F(Detection, RuntimesVanishingInTheMiddleOfALookup) {
  std::vector<std::string> homeOf, pathOf;
  for (int i = 0; i < 10; i++) {
    homeOf.push_back(MakeJavaHome(dir, Key(i, 1), true, false));
    pathOf.push_back(Executable(homeOf.back(), true));
  }
  struct Case {
    const char *what;
    int pass, index;           // they vanish before this enumeration is answered
    std::vector<int> removed;  // runtimes rtN removed then
    int wowRuntimes;           // runtimes in the Wow6432Node view (its homes hold nothing)
    std::vector<int> listed;   // runtime of each item, -1 for the empty text
    int count;                 // max_java_count at the end
  } cases[] = {
      // The probe meets a failed enumeration (index 5 of five): no Wow6432Node
      // key, so the count stays 10 until pass 0 reads 5.
      {"during the probe", kProbe, 5, {5, 6, 7, 8, 9}, 0, {0, 1, 2, 3, 4}, 5},
      {"before pass 0, the last four", 0, 0, {6, 7, 8, 9}, 0, {0, 1, 2, 3, 4, 5}, 6},
      // Pass 0 enumerates index 0 after the removal: rt4 is first by then.
      {"before pass 0, the first four", 0, 0, {0, 1, 2, 3}, 0, {4, 5, 6, 7, 8, 9}, 6},
      // Pass 7 counted ten and fails at index 5; pass 8 still runs on that
      // count, counts five and finds nothing at 8 either.
      {"in pass 7, the last five", 7, 3, {5, 6, 7, 8, 9}, 0, {0, 1, 2, 3, 4, 5, 6, -1, -1}, 5},
      // The same with a Wow6432Node view of two: pass 7 falls back to it, its
      // count of two ends the list.
      {"in pass 7, with a Wow6432Node view", 7, 3, {5, 6, 7, 8, 9}, 2, {0, 1, 2, 3, 4, 5, 6, -1}, 2},
      {"in pass 3, all of them", 3, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, {0, 1, 2, -1, -1}, 0},
  };
  for (const Case &c : cases) {
    FakeRegistry fake;
    for (int i = 0; i < 10; i++) fake.AddRuntime(View::Plain, Key(i, 1), homeOf[i].c_str());
    for (int i = 0; i < c.wowRuntimes; i++) fake.AddRuntime(View::Wow, "w" + std::to_string(i), "C:\\nowhere");
    // The enumeration call, counted from 1, before whose answer they vanish.
    const int probeCalls = 10 + c.wowRuntimes;
    const int atCall = c.pass == kProbe ? c.index + 1 : probeCalls + c.pass * (c.pass + 1) / 2 + c.index + 1;
    int vanishedAtIndex = -1;
    // Runs inside the lookup, inside the dialog procedure: it must not throw.
    fake.onEnum = [&](DWORD index) {
      try {
        if (fake.enumCalls != atCall) return;
        vanishedAtIndex = (int)index;
        for (int i : c.removed) fake.RemoveRuntime(View::Plain, Key(i, 1));
      } catch (...) {
      }
    };
    max_java_count = 0;
    HWND w = Open();
    ASSERT_TRUE(w) << c.what;
    std::vector<std::string> expected;
    for (int i : c.listed) expected.push_back(i < 0 ? "" : pathOf[i]);
    EXPECT_EQ(vanishedAtIndex, c.index) << c.what;
    EXPECT_EQ(ComboItems(GetDlgItem(w, IDC_CBO2)), expected) << c.what;
    EXPECT_EQ(max_java_count, c.count) << c.what;
    EXPECT_GT(fake.opens, 0) << c.what;
    EXPECT_EQ(fake.opens, fake.closes) << c.what;
    EXPECT_EQ(fake.OpenHandles(), 0) << c.what;
    SendMessageA(w, WM_CLOSE, 0, 0);
  }
}

}  // namespace
