// What a long-running process may leak, counted from inside it: kernel
// handles, windows of the calling thread, live GDI objects (support/gdi.h).
#pragma once
#include <windows.h>

#include <ostream>

// Open kernel handles of this process (files, registry keys, events...):
// GetProcessHandleCount's answer, or where that is 0 (a stub, as in Wine 8
// and 10) the entries of this process in the system's handle table. -1 when
// neither can be read. A failed expectation opens a few handles of gtest's
// own (a debug-output mutex and the like), so after one failure a handle
// count compared afterwards may be off too.
int CountHandles();

// Top-level windows of the calling thread and all their descendants.
int CountThreadWindows();

struct Resources {
  int gdi, handles, windows;
  static Resources Now();
  // Now(), once pending messages (paints, the X server's exposures) have
  // been handled and two readings in a row agree: the window manager keeps
  // update regions while a paint is pending.
  static Resources Settled();
  bool operator==(const Resources &o) const { return gdi == o.gdi && handles == o.handles && windows == o.windows; }
};

inline std::ostream &operator<<(std::ostream &os, const Resources &r) {
  return os << "{gdi " << r.gdi << ", handles " << r.handles << ", windows " << r.windows << "}";
}
