// The launch command's manifest reading and judging against a generated
// corpus: JSON texts built with a known outcome, the same texts cut short,
// ended early by NUL or 0x1A, or spoiled in known ways, and the same texts
// randomly mutated (whose outcome can only be checked for its form), plus
// deep nesting, huge strings, a 50 MB manifest and numbers past the parser's
// arithmetic.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "launch/manifest.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

const std::string PARSE_FAILURE = std::string("fail to parse json file: ") + MANIFEST_PATH + "\n";

// Any: a mutated text whose outcome is not known beforehand; it must still
// be one of the other three.
enum class Outcome { NameLine, NoLine, Failure, Any };

struct Sample {
  std::string text;
  Outcome expect;
  std::string name;  // with NameLine: the name as printed (cut at its first NUL)
};

// xorshift64: the same corpus on every run and every machine.
struct Rng {
  uint64_t s;
  uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return (uint32_t)(s >> 32);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }
  bool OneIn(uint32_t n) { return Below(n) == 0; }
};

void AppendUtf8(std::string *out, uint32_t cp) {
  if (cp < 0x80) {
    *out += (char)cp;
  } else if (cp < 0x800) {
    *out += (char)(0xC0 | (cp >> 6));
    *out += (char)(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out += (char)(0xE0 | (cp >> 12));
    *out += (char)(0x80 | ((cp >> 6) & 0x3F));
    *out += (char)(0x80 | (cp & 0x3F));
  } else {
    *out += (char)(0xF0 | (cp >> 18));
    *out += (char)(0x80 | ((cp >> 12) & 0x3F));
    *out += (char)(0x80 | ((cp >> 6) & 0x3F));
    *out += (char)(0x80 | (cp & 0x3F));
  }
}

// Builds one JSON text and, alongside, what reading it must print: the
// decoded text of the root object's first member whose decoded key is
// exactly "name", when that member is a string. A "poison" (a value JSON
// does not allow) somewhere below the root makes the whole text a failure.
class JsonGen {
 public:
  explicit JsonGen(Rng &rng) : r(rng) {}

  Sample Document() {
    t.clear();
    poisonLeft = r.OneIn(5) ? 1 : 0;
    poisoned = false;
    Blank();
    Sample s;
    s.expect = Outcome::NoLine;
    if (r.Below(4) != 0) {
      RootObject(&s);
    } else {
      bool isString;
      std::string decoded;
      Value(1, &isString, &decoded, false);  // another type at the root prints nothing
    }
    Blank();
    if (poisoned) s.expect = Outcome::Failure;
    s.text = t;
    return s;
  }

 private:
  Rng &r;
  std::string t;
  int poisonLeft = 0;
  bool poisoned = false;

  void Blank() {
    static const char *const kBlanks[] = {"", "", "", " ", "\t", "\n", "\r\n", "\r", " \r\n\t "};
    t += kBlanks[r.Below(sizeof kBlanks / sizeof *kBlanks)];
  }

  void Hex4(uint32_t v) {
    static const char *const kDigits[] = {"0123456789abcdef", "0123456789ABCDEF"};
    const char *d = kDigits[r.Below(2)];
    for (int shift = 12; shift >= 0; shift -= 4) t += d[(v >> shift) & 0xF];
  }

  // One piece of a string literal; appends its decoded bytes to decoded.
  void Piece(std::string *decoded) {
    static const char kPlain[] = "abcxyzABCXYZ0189 .-_%~/{}[]:,";
    static const char kEscapes[] = "\"\\/bfnrt";
    static const char kDecoded[] = "\"\\/\b\f\n\r\t";
    switch (r.Below(12)) {
      case 0: {  // a simple escape
        int e = r.Below(8);
        t += '\\';
        t += kEscapes[e];
        *decoded += kDecoded[e];
        break;
      }
      case 1: {  // \u00XX, control characters and NUL included
        uint32_t cp = r.OneIn(3) ? 0 : r.Below(0x80);
        t += "\\u";
        Hex4(cp);
        AppendUtf8(decoded, cp);
        break;
      }
      case 2: {  // \uXXXX outside the surrogates
        uint32_t cp;
        do cp = 0x80 + r.Below(0xFF80);
        while (cp >= 0xD800 && cp <= 0xDFFF);
        t += "\\u";
        Hex4(cp);
        AppendUtf8(decoded, cp);
        break;
      }
      case 3: {  // a surrogate pair
        uint32_t cp = 0x10000 + r.Below(0x100000);
        t += "\\u";
        Hex4(0xD800 + ((cp - 0x10000) >> 10));
        t += "\\u";
        Hex4(0xDC00 + ((cp - 0x10000) & 0x3FF));
        AppendUtf8(decoded, cp);
        break;
      }
      case 4: {  // raw bytes above ASCII (GBK, UTF-8, a byte-order mark...), taken as they stand
        static const char *const kRaw[] = {"\xD6\xD0", "\xE4\xB8\xAD", "\xEF\xBB\xBF", "\x7F", "\xFF", "\x80"};
        const char *raw = kRaw[r.Below(sizeof kRaw / sizeof *kRaw)];
        t += raw;
        *decoded += raw;
        break;
      }
      default: {
        char c = kPlain[r.Below(sizeof kPlain - 1)];
        t += c;
        *decoded += c;
      }
    }
  }

  std::string Str() {
    std::string decoded;
    t += '"';
    int pieces = r.OneIn(400) ? 500 + r.Below(1500) : r.Below(12);
    for (int i = 0; i < pieces; i++) Piece(&decoded);
    t += '"';
    return decoded;
  }

  // "name" in one of its spellings.
  std::string NameKey() {
    static const char *const kNames[] = {"name", "\\u006eame", "n\\u0061me", "\\u006E\\u0061\\u006D\\u0065",
                                         "nam\\u0065"};
    t += '"';
    t += kNames[r.Below(sizeof kNames / sizeof *kNames)];
    t += '"';
    return "name";
  }

  // A member name: often "name", or one that only looks like it. Returns
  // the decoded name.
  std::string Key() {
    static const struct {
      const char *encoded;
      std::string decoded;
    } kNearMisses[] = {
        {"Name", "Name"},
        {"NAME", "NAME"},
        {"nam", "nam"},
        {"names", "names"},
        {" name", " name"},
        {"name ", "name "},
        {"name\\u0000", std::string("name\0", 5)},
        {"na\\u0000me", std::string("na\0me", 5)},
        {"", ""},
        {"\xEF\xBB\xBFname", "\xEF\xBB\xBFname"},
        {"\\u006e\\u0061\\u006d\\u0065\\u0073", "names"},
    };
    uint32_t pick = r.Below(10);
    if (pick < 3) return NameKey();
    if (pick < 5) {
      const auto &m = kNearMisses[r.Below(sizeof kNearMisses / sizeof *kNearMisses)];
      t += '"';
      t += m.encoded;
      t += '"';
      return m.decoded;
    }
    return Str();
  }

  void Num() {
    if (r.OneIn(2)) t += '-';
    if (r.OneIn(4)) {
      t += '0';
    } else {
      t += (char)('1' + r.Below(9));
      int digits = r.OneIn(10) ? 30 : r.Below(6);  // 30 digits: past any integer type
      for (int i = 0; i < digits; i++) t += (char)('0' + r.Below(10));
    }
    if (r.OneIn(3)) {
      t += '.';
      for (int i = 0, n = 1 + r.Below(5); i < n; i++) t += (char)('0' + r.Below(10));
    }
    if (r.OneIn(4)) {
      t += "eE"[r.Below(2)];
      if (r.OneIn(2)) t += "+-"[r.Below(2)];
      for (int i = 0, n = 1 + r.Below(2); i < n; i++) t += (char)('0' + r.Below(10));
    }
  }

  // Values JSON does not allow: each one spoils the whole text.
  void Poison() {
    static const char *const kPoisons[] = {
        "NaN",         "Infinity", "-Infinity", "'x'",  "[1,]",      "{\"a\":1,}", "01",      "1.",
        ".5",          "+1",       "-",         "1e",   "\"\x01\"",  "\"a\nb\"",   "\"\\x\"", "\"\\u12\"",
        "\"\\u12G4\"", "tru",      "nul",       "True", "{\"a\" 1}", "{1:2}",      "[1 2]",   "\"open",
        "/*c*/1",      "//c\n1",   "[,1]",      "{,}",  "\"\t\"",    "{\"a\":}"};
    t += kPoisons[r.Below(sizeof kPoisons / sizeof *kPoisons)];
    poisoned = true;
    poisonLeft = 0;
  }

  // objects: whether the value may be an object; likelyString: a string
  // more often than not.
  void Value(int depth, bool *isString, std::string *decoded, bool objects = true, bool likelyString = false) {
    *isString = false;
    if (poisonLeft && depth > 0 && r.OneIn(6)) return Poison();
    uint32_t kind = likelyString && r.Below(3) ? 0 : r.Below(depth >= 5 ? 5 : objects ? 7 : 6);
    switch (kind) {
      case 0:
        *decoded = Str();
        *isString = true;
        return;
      case 1:
        return Num();
      case 2:
        t += "true";
        return;
      case 3:
        t += "false";
        return;
      case 4:
        t += "null";
        return;
      case 5: {
        t += '[';
        for (int i = 0, n = r.Below(5); i < n; i++) {
          if (i) t += ',';
          Blank();
          bool s;
          std::string d;
          Value(depth + 1, &s, &d);
          Blank();
        }
        t += ']';
        return;
      }
      default: {
        Sample unused;
        Object(depth, &unused, false);
      }
    }
  }

  void Object(int depth, Sample *s, bool root) {
    t += '{';
    bool decided = false;
    int n = r.Below(root ? 9 : 5);
    int named = root && n && r.OneIn(2) ? (int)r.Below(n) : -1;  // a member surely called "name"
    for (int i = 0; i < n; i++) {
      if (i) t += ',';
      Blank();
      std::string key = i == named ? NameKey() : Key();
      Blank();
      t += ':';
      Blank();
      bool isString;
      std::string decoded;
      Value(depth + 1, &isString, &decoded, true, key == "name");
      Blank();
      if (root && !decided && key == "name") {
        decided = true;  // only the first "name" counts
        if (isString) {
          s->expect = Outcome::NameLine;
          s->name = decoded.substr(0, decoded.find('\0'));
        }
      }
    }
    t += '}';
  }

  void RootObject(Sample *s) { Object(0, s, true); }
};

// What a known text becomes when the reading stops after its first n bytes
// (a cut, a NUL or a 0x1A there): a root object or array is unclosed, so a
// failure, unless the cut falls in the blanks after it.
Sample Cut(const Sample &whole, size_t n, const std::string &rest) {
  Sample s = whole;
  s.text = whole.text.substr(0, n) + rest;
  size_t last = whole.text.find_last_not_of(" \t\r\n");
  char root = whole.text[whole.text.find_first_not_of(" \t\r\n")];
  if (root != '{' && root != '[')
    s.expect = Outcome::Any;  // "12" cut to "1" is still a number
  else if (n <= last)
    s.expect = Outcome::Failure;
  return s;
}

// A mutation whose outcome follows from the text's own.
Sample KnownMutation(Rng &r, const Sample &whole) {
  const std::string &t = whole.text;
  size_t at = r.Below((uint32_t)t.size() + 1);
  switch (r.Below(7)) {
    case 0:
      return Cut(whole, at, "");
    case 1:
      return Cut(whole, at, std::string(1, '\0') + t.substr(at));
    case 2:
      return Cut(whole, at, "\x1A" + t.substr(at));
    case 3:
      return Sample{"\xEF\xBB\xBF" + t, Outcome::Failure, ""};
    case 4:
      return Sample{t + " " + t, Outcome::Failure, ""};
    case 5:
      return Sample{"/*c*/" + t, Outcome::Failure, ""};
    default: {  // every bare LF made CR LF: text mode reads LF again
      Sample s = whole;
      s.text.clear();
      for (char c : whole.text) {
        if (c == '\n' && (s.text.empty() || s.text.back() != '\r')) s.text += '\r';
        s.text += c;
      }
      return s;
    }
  }
}

// Random damage: the outcome is only checked for its form.
Sample RandomMutation(Rng &r, const std::string &seed) {
  static const std::string kTokens[] = {"{",
                                        "}",
                                        "[",
                                        "]",
                                        ",",
                                        ":",
                                        "\"",
                                        "\\",
                                        "\\u",
                                        "\\u0000",
                                        "name",
                                        "\"name\"",
                                        "\xEF\xBB\xBF",
                                        "\r\n",
                                        "\r",
                                        "\x1A",
                                        std::string(1, '\0'),
                                        "1e999",
                                        "-",
                                        "NaN",
                                        "\"name\":\"x\"",
                                        "{\"name\":",
                                        "\\uD800"};
  std::string t = seed;
  for (int round = 0, rounds = 1 + r.Below(4); round < rounds; round++) {
    size_t at = r.Below((uint32_t)t.size() + 1);
    size_t span = t.empty() ? 0 : r.Below((uint32_t)std::min<size_t>(t.size() - std::min(at, t.size()), 16) + 1);
    switch (r.Below(6)) {
      case 0:  // bit flips
        if (!t.empty()) t[r.Below((uint32_t)t.size())] ^= (char)(1 << r.Below(8));
        break;
      case 1:  // any byte inserted
        t.insert(at, 1, (char)r.Below(256));
        break;
      case 2:  // a span removed
        t.erase(std::min(at, t.size()), span);
        break;
      case 3:  // a span doubled
        t.insert(std::min(at, t.size()), t.substr(std::min(at, t.size()), span));
        break;
      case 4:  // a token dropped in
        t.insert(at, kTokens[r.Below(sizeof kTokens / sizeof *kTokens)]);
        break;
      default:  // cut short
        t.resize(at);
    }
  }
  return Sample{t, Outcome::Any, ""};
}

// Writes each sample to ./versions/manifest.json and reads it as the launch
// command does, its two streams going to temporary files.
class ManifestReader {
 public:
  ManifestReader() : cwd_(dir_.path()), out_(tmpfile()), err_(tmpfile()) {
    dir_.MakeDir("versions");
    // Kept open and rewritten in place: a file made anew for each of ten
    // thousand texts would cost more than reading them.
    manifest_ = CreateFileA((dir_.path() + "\\versions\\manifest.json").c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  }
  ~ManifestReader() {
    if (out_) fclose(out_);
    if (err_) fclose(err_);
    if (manifest_ != INVALID_HANDLE_VALUE) CloseHandle(manifest_);
  }
  bool ready() const { return out_ && err_ && manifest_ != INVALID_HANDLE_VALUE; }

  // The outcome, or an explanation of what was wrong with it.
  Outcome Read(const std::string &text, std::string *name, std::string *why) {
    if (!Write(text)) {
      *why = "manifest not written";
      return Outcome::Any;
    }
    ReportManifestName(MANIFEST_PATH, out_, err_);
    std::string out = Take(out_), err = Take(err_);
    if (out.empty() && err.empty()) return Outcome::NoLine;
    if (out.empty() && err == PARSE_FAILURE) return Outcome::Failure;
    if (err.empty() && out.size() >= 7 && out.compare(0, 6, "name: ") == 0 && out.back() == '\n' &&
        out.find('\0') == std::string::npos) {
      *name = out.substr(6, out.size() - 7);
      return Outcome::NameLine;
    }
    *why = "out \"" + out.substr(0, 200) + "\", err \"" + err.substr(0, 200) + "\"";
    return Outcome::Any;
  }

 private:
  bool Write(const std::string &text) {
    DWORD written = 0;
    return SetFilePointer(manifest_, 0, NULL, FILE_BEGIN) == 0 &&
           WriteFile(manifest_, text.data(), (DWORD)text.size(), &written, NULL) && written == text.size() &&
           SetEndOfFile(manifest_);
  }

  // What the stream received since the last call.
  static std::string Take(FILE *f) {
    long n = ftell(f);
    rewind(f);
    std::string s(n > 0 ? (size_t)n : 0, '\0');
    if (n > 0 && fread(&s[0], 1, s.size(), f) != s.size()) s = "<unreadable>";
    rewind(f);
    return s;
  }

  TempDir dir_;
  ScopedCurrentDir cwd_;
  FILE *out_;        // owned
  FILE *err_;        // owned
  HANDLE manifest_;  // owned
};

const char *OutcomeName(Outcome o) {
  switch (o) {
    case Outcome::NameLine:
      return "name line";
    case Outcome::NoLine:
      return "no line";
    case Outcome::Failure:
      return "failure line";
    default:
      return "anything";
  }
}

// Reads every sample and reports the first few that went wrong.
struct Tally {
  int counts[4] = {};
  int wrong = 0;
  std::string report;

  void Check(ManifestReader &reader, const Sample &s, const std::string &label) {
    std::string name, why;
    Outcome got = reader.Read(s.text, &name, &why);
    bool ok = got != Outcome::Any && (s.expect == Outcome::Any || got == s.expect) &&
              (got != Outcome::NameLine || s.expect == Outcome::Any || name == s.name);
    if (got != Outcome::Any) counts[(int)got]++;
    if (ok) return;
    if (++wrong <= 5) {
      report += label + ": expected " + OutcomeName(s.expect) + ", got " + OutcomeName(got);
      if (got == Outcome::NameLine) report += " \"" + name.substr(0, 80) + "\"";
      if (s.expect == Outcome::NameLine) report += " instead of \"" + s.name.substr(0, 80) + "\"";
      report += " " + why + "; text \"" + s.text.substr(0, 160) + "\"\n";
    }
  }
};

TEST(ManifestCorpus, GeneratedAndMutatedTextsGiveExactlyOneOutcome) {
  ManifestReader reader;
  ASSERT_TRUE(reader.ready());
  Rng r{0x9E3779B97F4A7C15ull};
  JsonGen gen(r);
  Tally tally;
  int texts = 0, known = 0;
  const char *const kSeeds[] = {R"({"name":"1.16.5"})", R"({"id":"1.8","name":"x","name":"y"})",
                                "{\r\n \"name\": \"a\\u0000b\"\r\n}\r\n", "[{\"name\":\"x\"}]"};
  // A quarter of the corpus in the QEMU guest, where it takes 20 times as long.
  const int kDocuments = Rounds(650, 2600, 2600);
  for (int i = 0; i < kDocuments; i++) {
    Sample whole = gen.Document();
    const std::string label = "document " + std::to_string(i);
    tally.Check(reader, whole, label);
    tally.Check(reader, KnownMutation(r, whole), label + ", known mutation");
    tally.Check(reader, RandomMutation(r, whole.text), label + ", random mutation");
    tally.Check(reader, RandomMutation(r, kSeeds[i % 4]), label + ", mutated seed");
    texts += 4;
    known += 2;
  }
  EXPECT_EQ(tally.wrong, 0) << tally.report;
  EXPECT_EQ(texts, 4 * kDocuments);
  // The corpus reaches every outcome often enough to mean something.
  for (Outcome o : {Outcome::NameLine, Outcome::NoLine, Outcome::Failure})
    EXPECT_GT(tally.counts[(int)o], kDocuments * 10 / 26) << OutcomeName(o);
}

// Nesting well past the recursive parser's stack, every way round the name.
TEST(ManifestCorpus, DeepNestingUpToAMillionLevels) {
  ManifestReader reader;
  ASSERT_TRUE(reader.ready());
  Tally tally;
  // 20,000 levels end the recursive parser; a million in the guest would take
  // a minute more.
  for (size_t depth : {size_t{1000}, size_t{20000}, (size_t)Rounds(100000, 1000000, 1000000)}) {
    const std::string open(depth, '['), close(depth, ']');
    std::string objects, objectsEnd(depth, '}');
    for (size_t i = 0; i < depth; i++) objects += i % 2 ? "{\"name\":1,\"a\":" : "{\"a\":";
    objects += "null";
    std::string mixed, mixedEnd = "\"inner\"";
    for (size_t i = 0; i < depth / 2; i++) mixed += "[{\"name\":";
    for (size_t i = 0; i < depth / 2; i++) mixedEnd += "}]";
    const Sample samples[] = {
        {open + close, Outcome::NoLine, ""},
        {open, Outcome::Failure, ""},
        {open + close.substr(1), Outcome::Failure, ""},
        {open + "]" + close, Outcome::Failure, ""},
        {R"({"name":"deep","d":)" + open + close + "}", Outcome::NameLine, "deep"},
        {R"({"d":)" + open + close + R"(,"name":"after"})", Outcome::NameLine, "after"},
        {R"({"d":)" + open + "1" + close + R"(,"name":)" + open + close + R"(,"name":"second"})", Outcome::NoLine, ""},
        {objects + objectsEnd, Outcome::NoLine, ""},
        {"{\"a\":" + objects + objectsEnd + ",\"name\":\"root\"}", Outcome::NameLine, "root"},
        {"{\"name\":\"root\"," + objects.substr(1) + objectsEnd, Outcome::NameLine, "root"},
        {"{\"name\":\"x\",\"d\":" + mixed + mixedEnd + "}", Outcome::NameLine, "x"},
        {open + "\x1A" + close, Outcome::Failure, ""},
        {open + close + "\x1A" + open, Outcome::NoLine, ""},
        {open + std::string(1, '\0') + close, Outcome::Failure, ""},
    };
    for (size_t i = 0; i < sizeof samples / sizeof *samples; i++)
      tally.Check(reader, samples[i], "depth " + std::to_string(depth) + ", sample " + std::to_string(i));
  }
  EXPECT_EQ(tally.wrong, 0) << tally.report;
}

TEST(ManifestCorpus, HugeStringsManyMembersAndAFiftyMegabyteManifest) {
  ManifestReader reader;
  ASSERT_TRUE(reader.ready());
  Tally tally;
  const std::string mb16(16 << 20, 'n');
  std::string manyMembers = "{", manyNames = "{\"name\":0", escapedName;
  for (int i = 0; i < 100000; i++) manyMembers += "\"m" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  manyMembers += "\"name\":\"last\"}";
  for (int i = 0; i < 100000; i++) manyNames += ",\"name\":\"n" + std::to_string(i) + "\"";
  manyNames += "}";
  std::string escaped = "{\"name\":\"";
  for (int i = 0; i < 200000; i++) escaped += "\\u4e2d\\t";
  for (int i = 0; i < 200000; i++) escapedName += "\xE4\xB8\xAD\t";
  escaped += "\\u0000" + std::string(1000, 'z') + "\"}";
  const Sample samples[] = {
      {"{\"name\":\"" + mb16 + "\"}", Outcome::NameLine, mb16},
      {"{\"" + mb16 + "\":1,\"name\":\"k\"}", Outcome::NameLine, "k"},
      {"{\"name\":\"" + mb16, Outcome::Failure, ""},
      {"\"" + mb16 + "\"", Outcome::NoLine, ""},
      {manyMembers, Outcome::NameLine, "last"},
      {manyNames, Outcome::NoLine, ""},
      {escaped, Outcome::NameLine, escapedName},
      {"", Outcome::Failure, ""},
      {" \r\n\t", Outcome::Failure, ""},
      {"\xEF\xBB\xBF", Outcome::Failure, ""},
      {std::string(3 << 20, ' ') + "{\"name\":\"blank\"}" + std::string(3 << 20, '\n'), Outcome::NameLine, "blank"},
  };
  for (size_t i = 0; i < sizeof samples / sizeof *samples; i++)
    tally.Check(reader, samples[i], "sample " + std::to_string(i));

  // 50 MB: a name beside a huge padding string, then the same cut short.
  std::string big = "{\"name\":\"big\",\"pad\":\"" + std::string(50 << 20, 'p') + "\"}\r\n";
  tally.Check(reader, Sample{big, Outcome::NameLine, "big"}, "50 MB");
  big.resize(big.size() - 5);
  tally.Check(reader, Sample{big, Outcome::Failure, ""}, "50 MB cut short");
  EXPECT_EQ(tally.wrong, 0) << tally.report;
}

// A fraction of 214,800,000 zeros raises the bound RapidJSON puts on a
// positive exponent past what an int can take ten times of, so the exponent
// wraps round before it is compared (from 214,748,055 zeros on, with the 1
// after them). Wherever such a number stands the parse fails, as it does
// for 1e309; the same zeros with no exponent, or one that fits an int, still
// parse. Built one text at a time: a 32-bit test cannot hold them all.
TEST(ManifestCorpus, NumbersPastTheParsersArithmetic) {
  ManifestReader reader;
  ASSERT_TRUE(reader.ready());
  Tally tally;
  const struct {
    const char *before, *after;
    Outcome expect;
    const char *name;
  } kAroundZeros[] = {
      {R"({"name":"1.16.5","v":)", "e2147483648}", Outcome::Failure, ""},
      {R"({"name":"1.16.5","v":)", "}", Outcome::NameLine, "1.16.5"},
      {R"({"name":"1.16.5","v":)", "e214800000}", Outcome::NameLine, "1.16.5"},
      {R"({"name":"x","a":[1,-)", "E+2147483648]}", Outcome::Failure, ""},
      {R"({"name":)", "e+0000000000000000000000000000099999999999999999999}", Outcome::Failure, ""},
      {"-", "E21474836470", Outcome::Failure, ""},
  };
  // Each text is 215 MB: the QEMU guest reads the first two only.
  const int kTexts = Rounds(2, 6, 6);
  for (int i = 0; i < kTexts; i++) {
    const auto &around = kAroundZeros[i];
    tally.Check(reader, Sample{AroundZerosPastTheParser(around.before, around.after), around.expect, around.name},
                "215 MB, text " + std::to_string(i));
  }
  const std::string digits(5 << 20, '7');
  tally.Check(reader, Sample{R"({"name":")" + digits + R"(","v":1e-)" + digits + "}", Outcome::NameLine, digits},
              "5 MB of digits in a string, and in an exponent");
  EXPECT_EQ(tally.wrong, 0) << tally.report;
}

}  // namespace
