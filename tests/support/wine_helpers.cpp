#include "support/wine_helpers.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

std::string MakeTempFolder(const std::string &prefix) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s%s-%lu-%u", base, prefix.c_str(), GetCurrentProcessId(), counter++);
    if (CreateDirectoryA(path, NULL)) return path;
  }
}

void RemoveTree(const std::string &path) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(path.c_str());
}

std::vector<std::string> FolderEntries(const std::string &dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = fd.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return names;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  int count = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    std::string text((size_t)SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, i, (LPARAM)&text[0]);
    items.push_back(text.c_str());
  }
  return items;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool ReadFileBytes(const std::string &path, std::string *bytes) {
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  char chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, n);
  fclose(f);
  return true;
}

ScopedCurrentDir::ScopedCurrentDir(const std::string &dir) {
  GetCurrentDirectoryA(MAX_PATH, saved_);
  SetCurrentDirectoryA(dir.c_str());
}

ScopedCurrentDir::~ScopedCurrentDir() { SetCurrentDirectoryA(saved_); }

SavedStream::SavedStream(FILE *stream) : stream_(stream), saved_(_dup(_fileno(stream))) {}

SavedStream::~SavedStream() {
  fflush(stream_);
  _dup2(saved_, _fileno(stream_));
  _close(saved_);
}

LaunchSandbox::LaunchSandbox(const std::string &errPath) : out_(stdout), err_(stderr) {
  // On the windowless console a test starts with, AllocConsole fails and
  // "CONOUT$" does not open.
  FreeConsole();
  int errFile = _open(errPath.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  _dup2(errFile, _fileno(stderr));
  _close(errFile);
}

// Wine's FreeConsole closes the standard handles that AllocConsole set,
// whatever they are by then: free it before the streams go back.
LaunchSandbox::~LaunchSandbox() { FreeConsole(); }

int Rounds(int guest, int usual, int full) {
  const char *length = getenv("QUILLON_LONG_USE");
  if (length && strcmp(length, "full") == 0) return full;
  if (length && strcmp(length, "guest") == 0) return guest;
  return usual;
}

std::string AroundZerosPastTheParser(const std::string &before, const std::string &after) {
  const size_t kZeros = 214800000;
  std::string text;
  text.reserve(before.size() + kZeros + 3 + after.size());  // one block: a 32-bit test holds few
  text += before;
  text += "0.";
  text.append(kZeros, '0');
  text += "1";
  text += after;
  return text;
}
