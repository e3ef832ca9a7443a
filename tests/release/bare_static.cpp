// The smallest program built and linked as Quillon.exe is: a GUI entry, a
// message box, and the parts of the C and C++ runtimes that Quillon uses
// (std::string, stdio files and snprintf, operator new). Its imports are what
// the static runtimes bring in by themselves; check_pe.py measures
// Quillon.exe's imports against them.
#include <stdio.h>
#include <windows.h>

#include <new>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
  std::string text = cmdLine;
  text += " bare";
  char line[64];
  snprintf(line, sizeof line, "%d %s", (int)text.size(), text.c_str());
  if (FILE *f = fopen(cmdLine, "rb")) {
    char buffer[16];
    text.append(buffer, fread(buffer, 1, sizeof buffer, f));
    fclose(f);
  }
  if (text.size() > 1000 && freopen("CONOUT$", "w", stdout)) fprintf(stdout, "%s\n", line);
  try {
    std::string *big = new std::string(text.size(), 'x');
    text += *big;
    delete big;
  } catch (const std::bad_alloc &) {
    return 2;
  }
  MessageBoxA(NULL, text.c_str(), line, MB_OK);
  return 0;
}
