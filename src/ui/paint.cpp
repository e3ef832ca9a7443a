#include "ui/paint.h"

#include "ui/boxes.h"

namespace {

// "楷体" in code page 936.
const char kKaiTi[] = "\xBF\xAC\xCC\xE5";

enum FontId { FONT_KAI_15, FONT_CONSOLAS_15_ITALIC, FONT_CONSOLAS_15, FONT_KAI_20, FONT_COUNT };

struct FontSpec {
  const char *face;
  int height;
  BOOL italic;
};

const FontSpec kFonts[FONT_COUNT] = {
    {kKaiTi, 15, FALSE},
    {"Consolas", 15, TRUE},
    {"Consolas", 15, FALSE},
    {kKaiTi, 20, FALSE},
};

// One row per painter; Button_Draw's colours come from its caller.
struct Painter {
  FontId font;
  COLORREF text;
  COLORREF back;
  UINT format;
  COLORREF brush;
};

const UINT kLines = DT_CENTER | DT_VCENTER;
const UINT kOneLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

const Painter kStatic = {FONT_KAI_15, 0x000000, 0xFFFFFF, kLines, 0x000000};
const Painter kStaticEnglish = {FONT_CONSOLAS_15_ITALIC, 0x000000, 0xFFFFFF, kLines, 0xFF0000};
const Painter kStaticLink = {FONT_CONSOLAS_15, 0xFF0000, 0xFFFFFF, kLines, 0xFF0000};

// Made on first use and kept for the run, so repaints create nothing.
HFONT g_fonts[FONT_COUNT];

struct CachedBrush {
  COLORREF colour;
  HBRUSH brush;
};
CachedBrush g_brushes[8];
int g_brushCount;

HFONT FontFor(FontId id) {
  if (!g_fonts[id]) {
    const FontSpec &f = kFonts[id];
    g_fonts[id] = CreateFontA(f.height, 0, 0, 0, FW_NORMAL, f.italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, f.face);
  }
  return g_fonts[id];
}

HBRUSH BrushFor(HDC dc, COLORREF colour) {
  for (int i = 0; i < g_brushCount; i++)
    if (g_brushes[i].colour == colour) return g_brushes[i].brush;
  // The program uses four colours. Past the cache, the DC's own brush
  // answers in that colour, so nothing is created that nobody frees.
  if (g_brushCount == (int)(sizeof g_brushes / sizeof *g_brushes)) {
    SetDCBrushColor(dc, colour);
    return (HBRUSH)GetStockObject(DC_BRUSH);
  }
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush) g_brushes[g_brushCount++] = CachedBrush{colour, brush};
  return brush;
}

// Draws the control's caption (at most 62 bytes) in the painter's font and
// colours, and returns the painter's brush.
LRESULT Paint(WPARAM wParam, LPARAM lParam, const Painter &p) {
  HDC dc = (HDC)wParam;
  HWND control = (HWND)lParam;
  HFONT font = FontFor(p.font);
  if (font) SelectObject(dc, font);
  char caption[63];
  int length = GetWindowTextA(control, caption, sizeof caption);
  RECT rect;
  GetClientRect(control, &rect);
  SetTextColor(dc, p.text);
  SetBkColor(dc, p.back);
  DrawTextA(dc, caption, length, &rect, p.format);
  return (LRESULT)BrushFor(dc, p.brush);
}

void OrStyle(HWND control, LONG_PTR bits) {
  SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | bits);
}

}  // namespace

void Owner_Draw_Button(HWND hwnd, int controlID) { OrStyle(GetDlgItem(hwnd, controlID), BS_OWNERDRAW); }

void Owner_Draw_Static(HWND hwnd, int controlID) { OrStyle(GetDlgItem(hwnd, controlID), SS_OWNERDRAW); }

void Owner_Draw_Static_Link(HWND hwnd, int controlID) {
  HWND control = GetDlgItem(hwnd, controlID);
  GetError();
  OrStyle(control, SS_OWNERDRAW);
}

LRESULT Static_Draw(HWND, UINT, WPARAM wParam, LPARAM lParam) { return Paint(wParam, lParam, kStatic); }

LRESULT Static_English_Draw(HWND, UINT, WPARAM wParam, LPARAM lParam) { return Paint(wParam, lParam, kStaticEnglish); }

LRESULT Static_Link_Draw(HWND, UINT, WPARAM wParam, LPARAM lParam) { return Paint(wParam, lParam, kStaticLink); }

LRESULT Button_Draw(HWND, UINT, WPARAM wParam, LPARAM lParam, COLORREF bg, COLORREF text4) {
  return Paint(wParam, lParam, Painter{FONT_KAI_20, text4, bg, kOneLine, bg});
}

void ReleasePainters() {
  for (HFONT &font : g_fonts) {
    if (font) DeleteObject(font);
    font = NULL;
  }
  for (int i = 0; i < g_brushCount; i++) DeleteObject(g_brushes[i].brush);
  g_brushCount = 0;
}
