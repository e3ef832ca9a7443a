#include "support/gdi.h"

#include <vector>

namespace {
// More than any system gives one process: 65,536 handles in all under Wine,
// a quota of 10,000 by default on Windows.
const int kMostObjects = 1 << 16;
}  // namespace

// Every kind of GDI object takes one slot of the same per-process limit, so
// each live object, whatever its kind, leaves room for one brush fewer. The
// brushes made to find the limit are all deleted again before this returns.
int CountGdiObjects() {
  std::vector<HBRUSH> made;
  made.reserve(kMostObjects);
  while ((int)made.size() < kMostObjects) {
    HBRUSH brush = CreateSolidBrush(0);
    if (!brush) break;
    made.push_back(brush);
  }
  for (HBRUSH brush : made) DeleteObject(brush);
  if (made.empty() || (int)made.size() == kMostObjects) return -1;
  return kMostObjects - (int)made.size();
}

RECT Pixels::BoundsOf(COLORREF c) const {
  RECT r = {width, height, 0, 0};
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      if (at(x, y) == c) {
        if (x < r.left) r.left = x;
        if (y < r.top) r.top = y;
        if (x + 1 > r.right) r.right = x + 1;
        if (y + 1 > r.bottom) r.bottom = y + 1;
      }
  if (r.right == 0) SetRectEmpty(&r);
  return r;
}

int Pixels::Count(COLORREF c) const {
  int n = 0;
  for (COLORREF p : px) n += p == c;
  return n;
}

namespace {
// Copies a memory DC's 32-bit DIB section into Pixels (BGRA to 0x00BBGGRR).
Pixels ReadBits(const DWORD *bits, int width, int height) {
  Pixels p;
  p.width = width;
  p.height = height;
  p.px.resize((size_t)width * height);
  for (int i = 0; i < width * height; i++) {
    DWORD v = bits[i] & 0xFFFFFF;
    p.px[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  return p;
}

HBITMAP MakeDib(HDC dc, int width, int height, DWORD **bits) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, (void **)bits, NULL, 0);
}
}  // namespace

Pixels RenderWith(int width, int height, void (*draw)(HDC, void *), void *ctx) {
  HDC screen = GetDC(NULL);
  HDC mem = CreateCompatibleDC(screen);
  DWORD *bits = NULL;
  HBITMAP dib = MakeDib(screen, width, height, &bits);
  HGDIOBJ old = SelectObject(mem, dib);
  draw(mem, ctx);
  GdiFlush();
  Pixels p = ReadBits(bits, width, height);
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(NULL, screen);
  return p;
}

Pixels CaptureClient(HWND hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  HDC src = GetDC(hwnd);
  Pixels p = Render(rc.right, rc.bottom, [&](HDC mem) { BitBlt(mem, 0, 0, rc.right, rc.bottom, src, 0, 0, SRCCOPY); });
  ReleaseDC(hwnd, src);
  return p;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
