// libFuzzer target over the manifest's text: each input is read as a
// text-mode read leaves a file and judged by ReportManifestText, under
// AddressSanitizer and UndefinedBehaviorSanitizer. It must give exactly one
// outcome, and the same outcome as RapidJSON alone wherever RapidJSON's
// arithmetic holds.
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

// RapidJSON on its own, as ReportManifestText would use it without its look
// at the numbers.
ManifestOutcome Unguarded(const char *text, std::string *line) {
  rapidjson::Document dom;
  dom.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(text);
  if (dom.HasParseError()) return MANIFEST_UNPARSED;
  if (!dom.IsObject()) return MANIFEST_UNNAMED;
  rapidjson::Document::ConstMemberIterator name = dom.FindMember("name");
  if (name == dom.MemberEnd() || !name->value.IsString()) return MANIFEST_UNNAMED;
  *line = std::string("name: ") + name->value.GetString() + "\n";
  return MANIFEST_NAMED;
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
  std::string reference;
  bool compare = ArithmeticHolds(text, length);
  ManifestOutcome expected = compare ? Unguarded(text, &reference) : MANIFEST_UNPARSED;

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
  free(written);
  free(text);
  return 0;
}
