// The painters drawn into real controls and read back pixel by pixel,
// against the same text drawn directly with the font the painter must use.
#include <gtest/gtest.h>

#include <string>

#include "support/gdi.h"
#include "support/wine_helpers.h"
#include "ui/paint.h"

namespace {

const char kKaiTi[] = "\xBF\xAC\xCC\xE5";  // "楷体" in code page 936
const char kLaunch[] =
    "\xC6\xF4\xB6\xAF"
    "Minecraft";                                          // "启动Minecraft"
const char kUser[] = "\xD3\xC3\xBB\xA7\xC3\xFB\xA3\xBA";  // "用户名："
const COLORREF kParentBg = RGB(0xC0, 0xC0, 0xC0);

enum Which { STATIC_DRAW, ENGLISH_DRAW, LINK_DRAW, BUTTON_RED, BUTTON_BLUE };

struct Row {
  const char *what;
  Which painter;
  std::string caption;
  int width, height;
  // What the painter must draw: font, colours, format, and its brush.
  const char *face;
  int fontHeight;
  BOOL italic;
  COLORREF text, back;
  UINT format;
  COLORREF brush;
};

const Row *g_row;  // the row the test window paints now

LRESULT Answer(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (g_row->painter) {
    case STATIC_DRAW:
      return Static_Draw(hwnd, msg, wp, lp);
    case ENGLISH_DRAW:
      return Static_English_Draw(hwnd, msg, wp, lp);
    case LINK_DRAW:
      return Static_Link_Draw(hwnd, msg, wp, lp);
    case BUTTON_RED:
      return Button_Draw(hwnd, msg, wp, lp, 0x0000FF, 0x000000);
    case BUTTON_BLUE:
      return Button_Draw(hwnd, msg, wp, lp, 0xFF0000, 0xFFFFFF);
  }
  return 0;
}

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if ((msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORSTATIC) && g_row) return Answer(hwnd, msg, wp, lp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool IsButton(const Row &r) { return r.painter == BUTTON_RED || r.painter == BUTTON_BLUE; }

// A top-level window holding one control of the row, switched to owner-draw
// the way the windows do it at initialisation.
struct TestWindow {
  HBRUSH bg = CreateSolidBrush(kParentBg);
  HWND parent = NULL, control = NULL;
  explicit TestWindow(const Row &r) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = bg;
    wc.lpszClassName = "PaintTestParent";
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    RegisterClassA(&wc);
    parent = CreateWindowA("PaintTestParent", "paint", WS_POPUP | WS_VISIBLE, 0, 0, r.width + 40, r.height + 40, NULL,
                           NULL, wc.hInstance, NULL);
    control = CreateWindowA(IsButton(r) ? "BUTTON" : "STATIC", r.caption.c_str(), WS_CHILD | WS_VISIBLE, 20, 20,
                            r.width, r.height, parent, (HMENU)100, wc.hInstance, NULL);
    if (IsButton(r))
      Owner_Draw_Button(parent, 100);
    else
      Owner_Draw_Static(parent, 100);
  }
  void Repaint() const {
    RedrawWindow(parent, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
  }
  ~TestWindow() {
    DestroyWindow(parent);
    UnregisterClassA("PaintTestParent", GetModuleHandleA(NULL));
    DeleteObject(bg);
  }
};

// The row's text drawn straight onto the background it should end up on.
Pixels Expected(const Row &r, const std::string &text) {
  return Render(r.width, r.height, [&](HDC dc) {
    RECT rc = {0, 0, r.width, r.height};
    HBRUSH under = CreateSolidBrush(IsButton(r) ? r.brush : kParentBg);
    FillRect(dc, &rc, under);
    DeleteObject(under);
    HFONT font =
        CreateFontA(r.fontHeight, 0, 0, 0, FW_NORMAL, r.italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, r.face);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, r.text);
    SetBkColor(dc, r.back);
    DrawTextA(dc, text.data(), (int)text.size(), &rc, r.format);
    SelectObject(dc, old);
    DeleteObject(font);
  });
}

const std::string kLong = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+-*/=()[]{}<>";  // 76 bytes

const Row kRows[] = {
    {"main window button", BUTTON_RED, kLaunch, 270, 30, kKaiTi, 20, FALSE, 0x000000, 0x0000FF, 0x25, 0x0000FF},
    {"selection window button", BUTTON_BLUE, "\xC8\xB7\xB6\xA8", 280, 25, kKaiTi, 20, FALSE, 0xFFFFFF, 0xFF0000, 0x25,
     0xFF0000},
    {"label", STATIC_DRAW, kUser, 120, 40, kKaiTi, 15, FALSE, 0x000000, 0xFFFFFF, 0x05, 0x000000},
    {"long label", STATIC_DRAW, kLong, 700, 20, kKaiTi, 15, FALSE, 0x000000, 0xFFFFFF, 0x05, 0x000000},
    {"credits", ENGLISH_DRAW, "Dovov Quillon \nline two\nline three", 300, 60, "Consolas", 15, TRUE, 0x000000,
     0xFFFFFF, 0x05, 0xFF0000},
    {"link", LINK_DRAW, "Visit our website:https://example.org", 300, 22, "Consolas", 15, FALSE, 0xFF0000, 0xFFFFFF,
     0x05, 0xFF0000},
};

TEST(Painters, DrawTheirRowAndAnswerWithTheirBrush) {
  for (const Row &r : kRows) {
    g_row = &r;
    TestWindow w(r);
    w.Repaint();
    Pixels shown = CaptureClient(w.control);
    std::string drawn = r.caption.substr(0, 62);
    EXPECT_TRUE(shown == Expected(r, drawn)) << r.what;
    EXPECT_GT(shown.Count(r.text), 0) << r.what;
    if (r.caption.size() > 62) {
      EXPECT_FALSE(shown == Expected(r, r.caption.substr(0, 63))) << r.what;
    }

    // The answer is a solid brush of the row's colour.
    HDC dc = GetDC(w.control);
    HBRUSH brush =
        (HBRUSH)Answer(w.parent, IsButton(r) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)w.control);
    ReleaseDC(w.control, dc);
    LOGBRUSH lb = {};
    ASSERT_EQ(GetObjectA(brush, sizeof lb, &lb), (int)sizeof lb) << r.what;
    EXPECT_EQ(lb.lbStyle, (UINT)BS_SOLID) << r.what;
    EXPECT_EQ(lb.lbColor, r.brush) << r.what;
  }
  g_row = nullptr;
}

// The text's extent with the row's font, as DrawTextA lays it out.
SIZE TextExtent(const Row &r) {
  HDC dc = GetDC(NULL);
  HFONT font = CreateFontA(r.fontHeight, 0, 0, 0, FW_NORMAL, r.italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, r.face);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32A(dc, r.caption.data(), (int)r.caption.size(), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(NULL, dc);
  return size;
}

TEST(Painters, ButtonCaptionCentredAndLabelAtTheTop) {
  g_row = &kRows[0];
  {
    TestWindow w(kRows[0]);
    w.Repaint();
    Pixels p = CaptureClient(w.control);
    SIZE text = TextExtent(kRows[0]);
    RECT cell = {(p.width - text.cx) / 2, (p.height - text.cy) / 2, 0, 0};
    cell.right = cell.left + text.cx;
    cell.bottom = cell.top + text.cy;
    RECT ink = p.BoundsOf(0x000000);
    ASSERT_FALSE(IsRectEmpty(&ink));
    EXPECT_GE(ink.left, cell.left - 1);
    EXPECT_LE(ink.right, cell.right + 1);
    EXPECT_GE(ink.top, cell.top - 1);
    EXPECT_LE(ink.bottom, cell.bottom + 1);
    EXPECT_GT(ink.right - ink.left, text.cx * 8 / 10);
    EXPECT_EQ(p.at(1, 1), 0x0000FFu);  // pure red around the caption
  }
  g_row = &kRows[2];
  {
    TestWindow w(kRows[2]);
    w.Repaint();
    Pixels p = CaptureClient(w.control);
    RECT cell = p.BoundsOf(0xFFFFFF);  // the text's white background cells
    ASSERT_FALSE(IsRectEmpty(&cell));
    EXPECT_EQ(cell.top, 0);  // at the top, not centred vertically
    EXPECT_LE(abs(cell.left - (p.width - cell.right)), 1);
  }
  g_row = nullptr;
}

// Wine asks twice per button repaint; the painters must not create anything
// per answer, so the count of live GDI objects stays where it was (a hundred
// repaints in the QEMU guest, where each costs ten times as much).
TEST(Painters, ThousandsOfRepaintsCreateNoGdiObjects) {
  for (const Row &r : kRows) {
    g_row = &r;
    TestWindow w(r);
    w.Repaint();
    int before = CountGdiObjects();
    ASSERT_GT(before, 0);
    for (int i = 0, n = Rounds(100, 1000, 1000); i < n; i++) w.Repaint();
    EXPECT_EQ(CountGdiObjects(), before) << r.what;
  }
  g_row = nullptr;
}

}  // namespace
