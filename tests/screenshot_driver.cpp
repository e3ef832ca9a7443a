// Drives Quillon.exe through its three windows and saves a picture of each,
// for the README. Not a test: tools/screenshots runs it.
//   screenshot_driver.exe <working folder> <output folder>
#include <stdio.h>

#include <string>
#include <vector>

#include "resource.h"
#include "support/gdi.h"
#include "support/program.h"
#include "support/registry_fixture.h"

namespace {

bool SaveBmp(const Pixels &p, const std::string &path) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return false;
  int row = (p.width * 3 + 3) & ~3;
  BITMAPFILEHEADER fh = {};
  BITMAPINFOHEADER ih = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + row * p.height;
  ih.biSize = sizeof ih;
  ih.biWidth = p.width;
  ih.biHeight = p.height;  // bottom-up
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  fwrite(&fh, sizeof fh, 1, f);
  fwrite(&ih, sizeof ih, 1, f);
  std::string line(row, '\0');
  for (int y = p.height - 1; y >= 0; y--) {
    for (int x = 0; x < p.width; x++) {
      COLORREF c = p.at(x, y);
      line[x * 3] = (char)GetBValue(c);
      line[x * 3 + 1] = (char)GetGValue(c);
      line[x * 3 + 2] = (char)GetRValue(c);
    }
    fwrite(line.data(), 1, line.size(), f);
  }
  return fclose(f) == 0;
}

// What the screen shows of the window, frame included.
Pixels CaptureWindow(HWND hwnd) {
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  Sleep(700);
  RECT r;
  GetWindowRect(hwnd, &r);
  HDC screen = GetDC(NULL);
  Pixels p = Render(r.right - r.left, r.bottom - r.top, [&](HDC mem) {
    BitBlt(mem, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  });
  ReleaseDC(NULL, screen);
  return p;
}

// A Java home where its installer puts one, in the session's own copy of
// the prefix (thrown away with the session); java.exe only where asked.
std::string MakeInstalledHome(const std::string &folder, bool java) {
  const std::string home = "C:\\Program Files\\Java\\" + folder;
  for (const std::string &dir : {std::string("C:\\Program Files\\Java"), home, home + "\\bin"})
    CreateDirectoryA(dir.c_str(), NULL);
  std::vector<std::string> exes = {"javaw.exe"};
  if (java) exes.push_back("java.exe");
  for (const std::string &exe : exes) {
    HANDLE f = CreateFileA((home + "\\bin\\" + exe).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  }
  return home;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) return 2;
  const std::string out = argv[2];
  RuntimeRegistry reg;
  // Versions as the registry names them, and the folders their installers make.
  const char *names[][2] = {{"1.8.0_301", "jre1.8.0_301"}, {"11.0.12", "jdk-11.0.12"}, {"17.0.1", "jdk-17.0.1"}};
  for (int i = 0; i < 3; i++) reg.Add(View::Plain, names[i][0], MakeInstalledHome(names[i][1], i != 1).c_str());

  Program p(argv[1]);
  HWND main = p.WaitMainWindow();
  if (!main) return 1;
  SetWindowPos(main, NULL, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  int failures = !SaveBmp(CaptureWindow(main), out + "\\main.bmp");

  PostMessageA(main, WM_COMMAND, IDC_BTN2, 0);
  HWND select = p.WaitTitled(kSelectTitle);
  if (select) {
    SetWindowPos(select, NULL, 40, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageA(GetDlgItem(select, IDC_CBO2), CB_SETCURSEL, 0, 0);
    failures += !SaveBmp(CaptureWindow(select), out + "\\selection.bmp");
  }
  HWND about = p.OpenAbout(main);
  if (about) {
    SetWindowPos(about, NULL, 420, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    failures += !SaveBmp(CaptureWindow(about), out + "\\about.bmp");
  }
  PostMessageA(main, WM_CLOSE, 0, 0);
  p.WaitExit();
  return failures + !select + !about;
}
