// GDI facts a test can read back: live GDI objects of this process, and the
// pixels a window shows.
#pragma once
#include <windows.h>

#include <vector>

// Live GDI objects of this process, plus a number fixed for the run (the
// objects the system keeps back from the process's limit): a count taken
// later differs by exactly the objects made or deleted in between. Found by
// making brushes until the system refuses one, so it takes a moment (about
// 65,000 brushes under Wine). -1 when no limit was met.
int CountGdiObjects();

// A width x height block of 0x00BBGGRR pixels.
struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> px;
  COLORREF at(int x, int y) const { return px[y * width + x]; }
  bool operator==(const Pixels &o) const { return width == o.width && height == o.height && px == o.px; }
  // Smallest rectangle holding every pixel of colour c (empty when none).
  RECT BoundsOf(COLORREF c) const;
  int Count(COLORREF c) const;
};

// What the window's client area shows now (after it has painted).
Pixels CaptureClient(HWND hwnd);
// Runs draw on a memory bitmap of the given size and returns its pixels.
template <typename F>
Pixels Render(int width, int height, F draw);
Pixels RenderWith(int width, int height, void (*draw)(HDC, void *), void *ctx);

template <typename F>
Pixels Render(int width, int height, F draw) {
  void (*call)(HDC, void *) = [](HDC dc, void *ctx) { (*(F *)ctx)(dc); };
  return RenderWith(width, height, call, &draw);
}

// Handles the pending messages of this thread (paints included).
void PumpMessages();
