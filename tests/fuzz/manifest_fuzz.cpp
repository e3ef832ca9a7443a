// libFuzzer target over the manifest's text: each input is read as a
// text-mode read leaves a file and judged by ReportManifestText, under
// AddressSanitizer and UndefinedBehaviorSanitizer. It must give exactly one
// outcome, and wherever RapidJSON's arithmetic holds, the same outcome as
// RapidJSON alone, with the text the guard leaves parsing to the same
// document as the text it was given.
#include <rapidjson/document.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "launch/manifest_text.h"

namespace {

// CR LF as LF, nothing from a 0x1A on, NUL bytes kept: what msvcrt's text
// mode hands the reader. In a block of exactly its length and a NUL, so that
// AddressSanitizer sees any read past it; the caller frees it.
char *TextModeRead(const uint8_t *data, size_t size, size_t *length) {
  char *text = (char *)malloc(size + 1), *end = text;
  for (size_t i = 0; i < size && data[i] != 0x1A; i++)
    if (data[i] != '\r' || i + 1 == size || data[i + 1] != '\n') *end++ = (char)data[i];
  *end = '\0';
  *length = (size_t)(end - text);
  char *exact = (char *)realloc(text, *length + 1);
  return exact ? exact : text;
}

typedef rapidjson::Document Document;
void Parse(Document *dom, const char *text) {
  dom->Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(text);
}

// What ReportManifestText would say of a document without its look at the
// numbers.
ManifestOutcome Unguarded(const Document &dom, std::string *line) {
  if (dom.HasParseError()) return MANIFEST_UNPARSED;
  if (!dom.IsObject()) return MANIFEST_UNNAMED;
  Document::ConstMemberIterator name = dom.FindMember("name");
  if (name == dom.MemberEnd() || !name->value.IsString()) return MANIFEST_UNNAMED;
  *line = std::string("name: ") + name->value.GetString() + "\n";
  return MANIFEST_NAMED;
}

// Whether two values are the same: every string and key to the byte (NULs
// inside included), members in order, numbers of the same kind to the bit.
// The guard may cap a negative exponent, so a number that is 0 may be
// written otherwise: two zeros count as the same value.
bool Same(const rapidjson::Value &a, const rapidjson::Value &b) {
  if (a.GetType() != b.GetType()) return false;
  if (a.IsString())
    return a.GetStringLength() == b.GetStringLength() &&
           memcmp(a.GetString(), b.GetString(), a.GetStringLength()) == 0;
  if (a.IsNumber()) {
    if (a.IsDouble() && b.IsDouble()) {
      double x = a.GetDouble(), y = b.GetDouble();
      return memcmp(&x, &y, sizeof x) == 0 || (x == 0 && y == 0);
    }
    return a.IsDouble() == b.IsDouble() && a.IsInt64() == b.IsInt64() && a.IsUint64() == b.IsUint64() &&
           (a.IsUint64() ? a.GetUint64() == b.GetUint64() : a.GetInt64() == b.GetInt64());
  }
  if (a.IsArray()) {
    if (a.Size() != b.Size()) return false;
    for (rapidjson::SizeType i = 0; i < a.Size(); i++)
      if (!Same(a[i], b[i])) return false;
    return true;
  }
  if (a.IsObject()) {
    if (a.MemberCount() != b.MemberCount()) return false;
    for (auto m = a.MemberBegin(), n = b.MemberBegin(); m != a.MemberEnd(); ++m, ++n)
      if (!Same(m->name, n->name) || !Same(m->value, n->value)) return false;
  }
  return true;  // null, true, false: the type says it all
}

// Whether RapidJSON's int sums hold for every number of the text. With a
// text shorter than 100,000 bytes a fraction lowers the exponent by less
// than that, and the bound of a positive exponent stays far below INT_MAX;
// only a negative exponent of ten digits or more can take the sum past
// INT_MIN. So a text with no "e-" or "E-" before ten digits holds (inside a
// string too: cheap, and on the safe side).
bool ArithmeticHolds(const char *text, size_t length) {
  if (length >= 100000) return false;
  for (const char *p = text; (p = strpbrk(p, "eE")) != NULL; p++) {
    if (p[1] != '-') continue;
    size_t digits = strspn(p + 2, "0123456789");
    if (digits >= 10) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  size_t length;
  char *text = TextModeRead(data, size, &length);
  // The text as given: the guard may rewrite numbers in place.
  std::string given(text, length);
  bool compare = ArithmeticHolds(text, length);
  Document before;
  std::string reference;
  ManifestOutcome expected = MANIFEST_UNPARSED;
  if (compare) {
    Parse(&before, given.c_str());
    expected = Unguarded(before, &reference);
  }

  char *written = NULL;
  size_t writtenSize = 0;
  FILE *out = open_memstream(&written, &writtenSize);
  if (!out) abort();
  ManifestOutcome outcome = ReportManifestText(text, length, out);
  fclose(out);

  // One outcome, and a name line exactly when it is a name.
  std::string line(written, writtenSize);
  if (outcome != MANIFEST_NAMED && outcome != MANIFEST_UNNAMED && outcome != MANIFEST_UNPARSED) abort();
  if ((outcome == MANIFEST_NAMED) != !line.empty()) abort();
  if (!line.empty() && (line.compare(0, 6, "name: ") != 0 || line.back() != '\n')) abort();
  if (compare && (outcome != expected || line != reference)) {
    fprintf(stderr, "outcome %d, RapidJSON alone %d; wrote \"%s\", RapidJSON alone \"%s\"\n", outcome, expected,
            line.c_str(), reference.c_str());
    abort();
  }
  // The whole document, not only its name: a change to any other string or
  // number is a fault of the guard.
  if (compare && !before.HasParseError()) {
    Document after;
    Parse(&after, text);
    if (after.HasParseError() || !Same(before, after)) {
      fprintf(stderr, "the text the guard left parses to another document than the text it was given\n");
      abort();
    }
  }
  free(written);
  free(text);
  return 0;
}
