#include "support/gdi.h"

#include <string.h>

namespace {
// The GDI handle table shared with the system: 65,536 entries of 24 bytes
// (a 64-bit object pointer first in both builds), type byte at 14, 0 when
// the slot is free. The PEB points at it (0xF8 in the 64-bit PEB, 0x94 in
// the 32-bit one). A 32-bit process of Wine on a 64-bit system leaves its
// own PEB's field empty and fills the 64-bit PEB's instead, which it reaches
// through its 64-bit TEB, whose address the 32-bit TEB keeps at 0xF70.
// (ntdll's own functions: the header's inline NtCurrentTeb trips
// -Warray-bounds, and 64-bit ntdll exports none.)
const BYTE *GdiHandleTable() {
  typedef void *(WINAPI * NtdllFn)();
  HMODULE ntdll = GetModuleHandleA("ntdll");
#ifdef _WIN64
  NtdllFn currentPeb = (NtdllFn)(void *)GetProcAddress(ntdll, "RtlGetCurrentPeb");
  if (!currentPeb) return NULL;
  const BYTE *peb = (const BYTE *)currentPeb();
  return *(const BYTE *const *)(peb + 0xF8);
#else
  NtdllFn currentTeb = (NtdllFn)(void *)GetProcAddress(ntdll, "NtCurrentTeb");
  if (!currentTeb) return NULL;
  const BYTE *teb = (const BYTE *)currentTeb();
  const BYTE *peb = *(const BYTE *const *)(teb + 0x30);
  const BYTE *table = *(const BYTE *const *)(peb + 0x94);
  ULONG teb64 = *(const ULONG *)(teb + 0xF70);
  if (!table && teb64) {
    ULONG64 peb64 = *(const ULONG64 *)(ULONG_PTR)(teb64 + 0x60);
    table = (const BYTE *)(ULONG_PTR) * (const ULONG64 *)(ULONG_PTR)(peb64 + 0xF8);
  }
  return table;
#endif
}
}  // namespace

int CountGdiObjects() {
  const BYTE *table = GdiHandleTable();
  if (!table) return -1;
  int live = 0;
  for (int i = 0; i < 65536; i++)
    if (table[i * 24 + 14] != 0) live++;
  return live;
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
