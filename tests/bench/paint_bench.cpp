// One answer of Button_Draw to WM_CTLCOLORBTN against the floor: one bare
// DrawTextA of the same caption, in the same font created once, into the
// same device context of the same button of the main window.
//
// A second line shows the answer as a real repaint asks for it: Wine's
// owner-drawn button selects its own font into the DC before each colour
// message, so the painter must select its font every time. There the floor
// selects the font too (both sides first put the button's font back).
#include <stdio.h>

#include "bench/bench.h"
#include "resource.h"
#include "ui/paint.h"

namespace {

const COLORREF kRed = 0x0000FF, kBlack = 0x000000;
const UINT kOneLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// The main window's painting, without its commands.
INT_PTR CALLBACK PaintOnlyProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Owner_Draw_Button(hDlg, IDC_BTN1);
      return FALSE;
    case WM_CTLCOLORBTN:
      return Button_Draw(hDlg, message, wParam, lParam, kRed, kBlack);
  }
  return FALSE;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Best per-call time of ours and of floor over `rounds` interleaved rounds
// of `calls` calls each; before() runs ahead of each round, untimed.
template <typename B, typename O, typename F>
void Compare(const char *what, B before, O ours, F floor) {
  const int calls = 200, rounds = 40;
  double bestOurs = 1e300, bestFloor = 1e300;
  for (int r = 0; r < rounds; r++) {
    before();
    bestOurs = std::min(bestOurs, BestMicros(1, [&] {
                          for (int i = 0; i < calls; i++) ours();
                        }));
    before();
    bestFloor = std::min(bestFloor, BestMicros(1, [&] {
                           for (int i = 0; i < calls; i++) floor();
                         }));
  }
  printf("  %-22s %6.2f us  floor %6.2f us  ratio %5.2fx\n", what, bestOurs / calls, bestFloor / calls,
         bestOurs / bestFloor);
}

}  // namespace

void BenchPaint() {
  printf("painting: one WM_CTLCOLORBTN answer of Button_Draw vs one bare DrawTextA (target <= 1.5x)\n");
  HWND dlg = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN_DIALOG), NULL, PaintOnlyProc, 0);
  if (!dlg) {
    printf("  no window (error %lu)\n", GetLastError());
    return;
  }
  ShowWindow(dlg, SW_SHOWNORMAL);
  Pump();
  HWND button = GetDlgItem(dlg, IDC_BTN1);
  HDC dc = GetDC(button);
  HFONT buttonFont = (HFONT)SendMessageA(button, WM_GETFONT, 0, 0);
  if (!buttonFont) buttonFont = (HFONT)GetStockObject(DEFAULT_GUI_FONT);

  // The floor's font, caption, rectangle and colours are set up once.
  // "楷体" in code page 936, as the painters ask for it.
  HFONT font = CreateFontA(20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "\xBF\xAC\xCC\xE5");
  char caption[63];
  int length = GetWindowTextA(button, caption, sizeof caption);
  RECT rect;
  GetClientRect(button, &rect);
  auto answer = [&] { Button_Draw(dlg, WM_CTLCOLORBTN, (WPARAM)dc, (LPARAM)button, kRed, kBlack); };
  auto draw = [&] { DrawTextA(dc, caption, length, &rect, kOneLine); };
  auto floorSetUp = [&] {
    SelectObject(dc, font);
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kRed);
  };
  answer();  // the painters make their font and brush on first use
  floorSetUp();
  draw();

  // The floor's set-up also runs before our rounds: harmless, the answer
  // selects and sets everything itself.
  Compare("same DC", floorSetUp, answer, draw);
  Compare(
      "button's font first", floorSetUp,
      [&] {
        SelectObject(dc, buttonFont);
        answer();
      },
      [&] {
        SelectObject(dc, buttonFont);
        SelectObject(dc, font);
        draw();
      });
  // What selecting the font costs by itself, on a DC that already holds it.
  double select = 1e300;
  for (int r = 0; r < 40; r++)
    select = std::min(select, BestMicros(1, [&] {
                        for (int i = 0; i < 200; i++) SelectObject(dc, font);
                      }));
  printf("  (SelectObject of the font alone: %.2f us)\n", select / 200);

  ReleaseDC(button, dc);
  DeleteObject(font);
  DestroyWindow(dlg);
  Pump();
}
