#include "res/resource_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resource.h"

namespace {

// The templates as the product needs them. Identifiers are written as
// numbers, not through resource.h, so that a wrong number there shows too.
struct Control {
  DWORD id;
  const char16_t *cls;
  const char16_t *text;  // nullptr: the credits, checked by their form
  short x, y, cx, cy;
  DWORD style, exStyle;
};

struct Dialog {
  WORD id;
  const char16_t *title;
  short x, y, cx, cy;
  DWORD style, exStyle;
  bool maximizeBox;
  std::vector<Control> controls;  // template order, which is the tab order
};

const std::vector<Dialog> &Dialogs() {
  static const std::vector<Dialog> dialogs = {
      {101,
       u"Dovov Quillon",
       10,
       10,
       222,
       138,
       0x10CD00C0,
       0x00000001,
       true,
       {
           {1001, u"STATIC", u"用户名：", 9, 9, 57, 12, 0x50000000, 0},
           {2001, u"EDIT", u"", 69, 6, 120, 12, 0x50010000, 0x00000200},
           {1002, u"STATIC", u"版本：", 9, 24, 60, 12, 0x50000000, 0},
           {3001, u"COMBOBOX", u"", 69, 24, 120, 117, 0x50010002, 0},
           {4001, u"BUTTON", u"启动Minecraft", 9, 36, 180, 18, 0x50010000, 0},
           {4002, u"BUTTON", u"检测Java运行时", 9, 54, 180, 18, 0x50010000, 0},
           {4004, u"BUTTON", u"关于本项目", 9, 72, 180, 18, 0x50010000, 0},
       }},
      {102,
       u"检测Java运行时",
       10,
       10,
       400,
       99,
       0x10CC00C0,
       0x00000001,
       false,
       {
           {3002, u"COMBOBOX", u"", 69, 10, 300, 300, 0x50210202, 0},
           {1003, u"STATIC", u"java运行时", 0, 10, 69, 12, 0x50000000, 0},
           {4003, u"BUTTON", u"确定", 0, 27, 189, 15, 0x50010000, 0},
       }},
      {10003,
       u"关于 Dovov Quillon   (:",
       10,
       10,
       210,
       126,
       0x10CC00C0,
       0,
       false,
       {
           {1004, u"STATIC", nullptr, 6, 0, 210, 36, 0x50000000, 0},
           // The link opens QUILLON_WEBSITE: it must show that very address.
           {1005, u"STATIC", u"Visit our website:" QUILLON_WEBSITE, 6, 36, 210, 15, 0x50000100, 0},
       }},
  };
  return dialogs;
}

// The painters show a caption up to its 62nd byte (narrow text, code page 936).
const int kPaintedBytes = 62;

std::string Utf8(const std::u16string &s) {
  std::string out(s.size() * 3, '\0');
  int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t *>(s.data()), (int)s.size(), &out[0],
                              (int)out.size(), nullptr, nullptr);
  out.resize(n > 0 ? n : 0);
  return out;
}

// Styles read best in hexadecimal.
std::string Hex(DWORD v) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lX", (unsigned long)v);
  return text;
}

int GbkBytes(const std::u16string &s) {
  return WideCharToMultiByte(936, 0, reinterpret_cast<const wchar_t *>(s.data()), (int)s.size(), nullptr, 0, nullptr,
                             nullptr);
}

// The raw bytes of one resource, empty when it is missing.
std::string ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name) {
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return "";
  HGLOBAL loaded = LoadResource(module, found);
  const char *data = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
  return data ? std::string(data, SizeofResource(module, found)) : "";
}

// Reads a DLGTEMPLATEEX front to back; running past the end clears ok().
class Reader {
 public:
  explicit Reader(const std::string &data) : data_(data) {}
  bool ok() const { return ok_; }
  size_t left() const { return data_.size() - pos_; }
  BYTE Byte() { return (BYTE)Take(1); }
  WORD Word() { return (WORD)Take(2); }
  short Short() { return (short)Take(2); }
  DWORD Dword() { return Take(4); }
  // A text, or an ordinal as "#n"; "" when the field is empty.
  std::u16string TextOrOrdinal() {
    WORD first = Word();
    if (first == 0xFFFF) {
      std::string n = "#" + std::to_string(Word());
      return std::u16string(n.begin(), n.end());
    }
    std::u16string s;
    for (WORD c = first; ok_ && c != 0; c = Word()) s += char16_t(c);
    return s;
  }
  void Skip(size_t n) {
    if (n > data_.size() - pos_) ok_ = false;
    pos_ = ok_ ? pos_ + n : data_.size();
  }
  // Controls start on a DWORD boundary of the template.
  void AlignDword() { Skip(((pos_ + 3) & ~size_t(3)) - pos_); }

 private:
  DWORD Take(size_t n) {
    if (n > data_.size() - pos_) {
      ok_ = false;
      pos_ = data_.size();
      return 0;
    }
    DWORD v = 0;
    std::memcpy(&v, data_.data() + pos_, n);
    pos_ += n;
    return v;
  }
  const std::string &data_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// Predefined control classes may be stored by ordinal or by name.
std::u16string ClassName(std::u16string cls) {
  if (cls == u"#128") return u"BUTTON";
  if (cls == u"#129") return u"EDIT";
  if (cls == u"#130") return u"STATIC";
  if (cls == u"#133") return u"COMBOBOX";
  for (char16_t &c : cls)
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  return cls;
}

// "Dovov Quillon " and two credit lines, all of it painted.
void CheckCredits(const std::u16string &text) {
  std::vector<std::u16string> lines(1);
  for (char16_t c : text) {
    if (c == u'\n')
      lines.emplace_back();
    else
      lines.back() += c;
  }
  ASSERT_EQ(lines.size(), 3u) << Utf8(text);
  EXPECT_EQ(lines[0], u"Dovov Quillon ");
  for (const std::u16string &line : lines) {
    EXPECT_EQ(line.find(u'\r'), std::u16string::npos) << Utf8(text);
    EXPECT_FALSE(line.empty()) << Utf8(text);
  }
  EXPECT_LE(GbkBytes(text), kPaintedBytes) << Utf8(text);
}

void CheckTemplate(HMODULE module, const Dialog &want) {
  SCOPED_TRACE("template " + std::to_string(want.id));
  const std::string data = ResourceBytes(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(want.id));
  ASSERT_FALSE(data.empty());
  Reader r(data);
  EXPECT_EQ(r.Word(), 1);       // dlgVer
  EXPECT_EQ(r.Word(), 0xFFFF);  // signature: an extended template
  EXPECT_EQ(r.Dword(), 0u);     // helpID
  EXPECT_EQ(Hex(r.Dword()), Hex(want.exStyle));
  const DWORD style = r.Dword();
  EXPECT_EQ(Hex(style), Hex(want.style));
  const WORD count = r.Word();
  EXPECT_EQ(count, want.controls.size());
  EXPECT_EQ(r.Short(), want.x);
  EXPECT_EQ(r.Short(), want.y);
  EXPECT_EQ(r.Short(), want.cx);
  EXPECT_EQ(r.Short(), want.cy);
  EXPECT_EQ(Utf8(r.TextOrOrdinal()), "");  // menu
  EXPECT_EQ(Utf8(r.TextOrOrdinal()), "");  // window class
  EXPECT_EQ(r.TextOrOrdinal(), want.title) << Utf8(want.title);
  ASSERT_TRUE(style & DS_SETFONT);
  EXPECT_EQ(r.Word(), 8);  // point size
  EXPECT_EQ(r.Word(), 0);  // weight
  EXPECT_EQ(r.Byte(), 0);  // italic
  EXPECT_EQ(r.Byte(), 0);  // character set
  EXPECT_EQ(r.TextOrOrdinal(), u"MS Sans Serif");
  ASSERT_TRUE(r.ok());

  for (size_t i = 0; i < count && i < want.controls.size(); i++) {
    const Control &c = want.controls[i];
    SCOPED_TRACE("control " + std::to_string(c.id));
    r.AlignDword();
    EXPECT_EQ(r.Dword(), 0u);  // helpID
    EXPECT_EQ(Hex(r.Dword()), Hex(c.exStyle));
    EXPECT_EQ(Hex(r.Dword()), Hex(c.style));
    EXPECT_EQ(r.Short(), c.x);
    EXPECT_EQ(r.Short(), c.y);
    EXPECT_EQ(r.Short(), c.cx);
    EXPECT_EQ(r.Short(), c.cy);
    EXPECT_EQ(r.Dword(), c.id);
    EXPECT_EQ(ClassName(r.TextOrOrdinal()), c.cls) << Utf8(c.cls);
    const std::u16string text = r.TextOrOrdinal();
    if (c.text) {
      EXPECT_EQ(text, c.text) << "got \"" << Utf8(text) << "\"";
      EXPECT_LE(GbkBytes(text), kPaintedBytes) << Utf8(text);
    } else {
      CheckCredits(text);
    }
    const WORD extra = r.Word();
    EXPECT_EQ(extra, 0);
    r.Skip(extra);
    ASSERT_TRUE(r.ok());
  }
  EXPECT_LT(r.left(), 4u) << "more than padding after the last control";
}

// Each line of an About caption shows whole in the painters' font, Consolas
// 15 pixels: drawn centred, a wider line loses both ends, and the parts
// beyond the window's client area are cut as well.
void CheckLinesFit(HWND dlg, int id, bool italic) {
  HWND ctl = GetDlgItem(dlg, id);
  RECT box, client;
  GetClientRect(ctl, &box);
  MapWindowPoints(ctl, dlg, reinterpret_cast<POINT *>(&box), 2);
  GetClientRect(dlg, &client);
  char text[64] = "";
  GetWindowTextA(ctl, text, sizeof text);
  HDC dc = GetDC(ctl);
  HFONT font = CreateFontA(15, 0, 0, 0, FW_NORMAL, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Consolas");
  HGDIOBJ old = SelectObject(dc, font);
  for (char *line = text; *line;) {
    char *end = line + std::strcspn(line, "\n");
    SIZE size{};
    GetTextExtentPoint32A(dc, line, (int)(end - line), &size);
    const LONG left = box.left + (box.right - box.left - size.cx) / 2;
    EXPECT_GE(left, std::max(box.left, client.left)) << std::string(line, end);
    EXPECT_LE(left + size.cx, std::min(box.right, client.right)) << std::string(line, end);
    line = *end ? end + 1 : end;
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(ctl, dc);
}

INT_PTR CALLBACK QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Collectors for the resource directory walks.
BOOL CALLBACK AddType(HMODULE, LPSTR type, LONG_PTR out) {
  reinterpret_cast<std::vector<std::string> *>(out)->push_back(
      IS_INTRESOURCE(type) ? "#" + std::to_string((ULONG_PTR)type) : std::string(type));
  return TRUE;
}
BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
  reinterpret_cast<std::vector<std::string> *>(out)->push_back(
      IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : std::string(name));
  return TRUE;
}
BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
  reinterpret_cast<std::vector<WORD> *>(out)->push_back(language);
  return TRUE;
}

LPCSTR AsResource(const std::string &s) { return s[0] == '#' ? MAKEINTRESOURCEA(std::stoi(s.substr(1))) : s.c_str(); }

}  // namespace

void CheckDialogTemplates(HMODULE module) {
  for (const Dialog &d : Dialogs()) CheckTemplate(module, d);
}

void CheckDialogWindows(HMODULE module) {
  for (const Dialog &d : Dialogs()) {
    SCOPED_TRACE("dialog " + std::to_string(d.id));
    HWND dlg = CreateDialogParamA(module, MAKEINTRESOURCEA(d.id), nullptr, QuietProc, 0);
    ASSERT_NE(dlg, nullptr) << "error " << GetLastError();

    // Direct children in z order, which is the template (tab) order.
    std::vector<int> want, got;
    for (const Control &c : d.controls) want.push_back((int)c.id);
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      got.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(got, want);
    for (int id : want) EXPECT_NE(GetDlgItem(dlg, id), nullptr) << id;
    for (int id : {-1, 2002, 2003, 3003, 5001}) EXPECT_EQ(GetDlgItem(dlg, id), nullptr) << id;

    const LONG style = GetWindowLongA(dlg, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_EQ((style & WS_MAXIMIZEBOX) != 0, d.maximizeBox);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);

    // The About captions as the painters read and draw them.
    if (d.id == 10003) {
      char link[128] = "";
      GetWindowTextA(GetDlgItem(dlg, 1005), link, sizeof link);
      EXPECT_STREQ(link, "Visit our website:" QUILLON_WEBSITE);
      CheckLinesFit(dlg, 1004, true);
      CheckLinesFit(dlg, 1005, false);
    }
    DestroyWindow(dlg);
  }
}

void CheckManifest(HMODULE module) {
  const std::string text = ResourceBytes(module, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u) << text;
  EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos);
  size_t supported = 0;
  for (size_t at = text.find("<supportedOS "); at != std::string::npos; at = text.find("<supportedOS ", at + 1))
    supported++;
  EXPECT_EQ(supported, 5u);
  for (const char *os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                         "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                         "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
    EXPECT_NE(text.find(std::string("<supportedOS Id=\"{") + os + "}\"/>"), std::string::npos) << os;
  for (const char *absent : {"dependency", "Common-Controls", "dpiAware", "dpiAwareness"})
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;
}

void CheckIconGroup(HMODULE module) {
  const std::string group = ResourceBytes(module, MAKEINTRESOURCEA(14), "A");
  ASSERT_EQ(group.size(), 6u + 14u);  // GRPICONDIR with one 14-byte entry
  Reader r(group);
  EXPECT_EQ(r.Word(), 0);  // reserved
  EXPECT_EQ(r.Word(), 1);  // icons, not cursors
  EXPECT_EQ(r.Word(), 1);  // one image
  EXPECT_EQ(r.Byte(), 128);
  EXPECT_EQ(r.Byte(), 128);
  EXPECT_EQ(r.Byte(), 0);  // colour count: none for 32 bits
  EXPECT_EQ(r.Byte(), 0);  // reserved
  EXPECT_EQ(r.Word(), 1);  // planes
  EXPECT_EQ(r.Word(), 32);
  const DWORD bytes = r.Dword();
  const WORD id = r.Word();

  const std::string image = ResourceBytes(module, MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(id));
  ASSERT_EQ(image.size(), bytes);
  const int kRow = 128 * 4, kMaskRow = 16, kColours = 40;
  ASSERT_EQ(image.size(), size_t(kColours + 128 * kRow + 128 * kMaskRow));
  BITMAPINFOHEADER h;
  std::memcpy(&h, image.data(), sizeof h);
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 128);
  EXPECT_EQ(h.biHeight, 256);  // colours and AND mask
  EXPECT_EQ(h.biBitCount, 32);
  EXPECT_EQ(h.biCompression, (DWORD)BI_RGB);
  // Rows go bottom up: a transparent corner, an opaque middle, and the
  // AND mask agreeing with the alpha channel.
  auto alpha = [&](int x, int y) { return (BYTE)image[kColours + (127 - y) * kRow + x * 4 + 3]; };
  auto masked = [&](int x, int y) {
    return ((BYTE)image[kColours + 128 * kRow + (127 - y) * kMaskRow + x / 8] >> (7 - x % 8)) & 1;
  };
  EXPECT_EQ(alpha(0, 0), 0);
  EXPECT_EQ(masked(0, 0), 1);
  EXPECT_EQ(alpha(64, 64), 255);
  EXPECT_EQ(masked(64, 64), 0);

  // The platform accepts it as an icon of that size.
  HICON icon =
      CreateIconFromResourceEx((PBYTE)image.data(), (DWORD)image.size(), TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
  ASSERT_NE(icon, nullptr) << "error " << GetLastError();
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bm{};
  ASSERT_NE(info.hbmColor, nullptr);
  GetObjectA(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 128);
  EXPECT_EQ(bm.bmHeight, 128);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

void CheckResourceDirectory(HMODULE module) {
  std::vector<std::string> types;
  EnumResourceTypesA(module, AddType, (LONG_PTR)&types);
  // RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_MANIFEST; no RT_VERSION (16).
  EXPECT_EQ(std::set<std::string>(types.begin(), types.end()), (std::set<std::string>{"#3", "#5", "#14", "#24"}));

  struct Names {
    int type;
    std::set<std::string> names;  // empty: any one name
  } expected[] = {
      {5, {"#101", "#102", "#10003"}},
      {14, {"A"}},
      {24, {"#1"}},
      {3, {}},
  };
  for (const Names &e : expected) {
    SCOPED_TRACE("type " + std::to_string(e.type));
    std::vector<std::string> names;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(e.type), AddName, (LONG_PTR)&names);
    if (e.names.empty())
      EXPECT_EQ(names.size(), 1u);
    else
      EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), e.names);
    for (const std::string &name : names) {
      std::vector<WORD> languages;
      EnumResourceLanguagesA(module, MAKEINTRESOURCEA(e.type), AsResource(name), AddLanguage, (LONG_PTR)&languages);
      EXPECT_EQ(languages, std::vector<WORD>{MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)}) << name;
    }
  }
}
