#include "launch/manifest_text.h"

#include <rapidjson/document.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <new>

namespace {

// RapidJSON writes through whatever its allocator returns without looking:
// a failed allocation halfway through a parse must not come back as NULL.
// This one throws instead, and the parse is abandoned as a whole.
struct ThrowingAllocator {
  [[maybe_unused]] static const bool kNeedFree = true;
  void *Malloc(size_t size) {
    if (!size) return NULL;
    void *block = malloc(size);
    if (!block) throw std::bad_alloc();
    return block;
  }
  // A block that cannot grow stays with its owner, which frees it.
  void *Realloc(void *block, size_t, size_t size) {
    if (!size) {
      free(block);
      return NULL;
    }
    void *bigger = realloc(block, size);
    if (!bigger) throw std::bad_alloc();
    return bigger;
  }
  static void Free(void *block) { free(block); }
};

typedef rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<ThrowingAllocator>,
                                   ThrowingAllocator>
    Document;

// RapidJSON keeps a number's decimal exponent in an int and does not check
// all of its sums. A fraction lowers the exponent by one for each of its
// leading zeros after an integer part of 0, and for at most 17 of its other
// digits; the bound of a positive exponent (308 plus that count) rises with
// them. So with 214,748,055 zeros or more "0.<zeros>1e2147483648" wraps
// round inside RapidJSON before the bound is compared (214,748,056 without
// the 1: upstream issues #2303, #2391); a negative exponent of ten digits
// after a fraction of ten digits wraps when the two are added (#1261, fixed
// in Debian 13's package only); and the count itself wraps with 2^31 + 1
// zeros. A wrapped exponent indexes far outside the table of powers of ten
// and the program crashes. So each number is looked at before the parse,
// with RapidJSON's sums done in long long; this can go once a fixed
// RapidJSON ships.
const long long kIntMax = 2147483647, kIntMin = -kIntMax - 1;
// RapidJSON keeps 17 significant digits of a fraction and skips the rest.
const long long kCountedDigits = 17;
// A negative exponent this large makes any number 0 (its integer part has at
// most 309 digits, or the parse fails on it).
const long long kNegativeExponentCap = 1000000;

// Reads the digits at p, their value in *value (saturating past INT_MAX).
// Returns the first byte after them.
char *Digits(char *p, long long *value) {
  long long v = 0;
  for (; *p >= '0' && *p <= '9'; p++)
    if (v <= kIntMax) v = v * 10 + (*p - '0');
  *value = v;
  return p;
}

typedef uintptr_t Word;
const Word kEveryByte = (Word)-1 / 0xFF;  // 0x01 in each byte
// Flags the bytes of w that are 0 with their top bit; the lowest flag is
// exact (above it a 0x01 byte can be flagged too).
Word ZeroBytes(Word w) { return (w - kEveryByte) & ~w & kEveryByte * 0x80; }

// Returns the byte after the string whose opening quote is just before p,
// or the NUL that cuts it short; end is the text's terminating NUL. Most of
// a manifest is strings: they are passed a word at a time.
char *SkipString(char *p, const char *end) {
  for (;;) {
    while (end - p >= (ptrdiff_t)sizeof(Word)) {
      Word w;
      memcpy(&w, p, sizeof w);
      Word stops = ZeroBytes(w ^ kEveryByte * '"') | ZeroBytes(w ^ kEveryByte * '\\') | ZeroBytes(w);
      if (stops) {
        p += __builtin_ctzll(stops) / 8;  // little-endian: the first byte
        break;
      }
      p += sizeof w;
    }
    if (*p == '"') return p + 1;
    if (!*p || (*p == '\\' && !*++p)) return p;
    p++;
  }
}

// Looks at the number at p and returns the byte after it. *fits becomes
// false where one of RapidJSON's sums would wrap: RapidJSON with sound
// arithmetic rejects every such number with a positive exponent (as it
// rejects 1e309). A negative exponent past the cap is written as the cap,
// with leading zeros to keep the length: the number is 0 either way, and
// RapidJSON's sum then stays within an int.
char *CheckNumber(char *p, bool *fits) {
  long long value;
  p = Digits(p + (*p == '-'), &value);
  long long expFrac = 0;  // RapidJSON's name for what the fraction counts
  if (*p == '.') {
    char *fraction = ++p;
    if (value == 0)
      while (*p == '0') p++;
    char *rest = p;
    p = Digits(rest, &value);
    expFrac = -((rest - fraction) + (p - rest < kCountedDigits ? p - rest : kCountedDigits));
  }
  if (expFrac < kIntMin) *fits = false;
  if (*p != 'e' && *p != 'E') return p;
  bool negative = *++p == '-';
  if (*p == '-' || *p == '+') p++;
  char *digits = p;
  p = Digits(digits, &value);
  if (digits == p) return p;
  if (!negative && (value > kIntMax || 308 - expFrac > kIntMax)) *fits = false;
  if (negative && value > kNegativeExponentCap) {
    value = kNegativeExponentCap;
    long long v = value;
    for (char *q = p; q > digits; v /= 10) *--q = (char)('0' + v % 10);
  }
  if (negative && expFrac - value < kIntMin) *fits = false;
  return p;
}

// The bytes where a walk between strings stops: a string's quote, a
// number's first byte, the text's end.
struct ByteSet {
  bool at[256];
};
constexpr ByteSet OutsideStops() {
  ByteSet stops{};
  for (const char *c = "\"-0123456789"; *c; c++) stops.at[(unsigned char)*c] = true;
  stops.at[0] = true;
  return stops;
}
constexpr ByteSet kOutsideStops = OutsideStops();

// False when a number in the length bytes of text (a NUL follows them) is
// past what RapidJSON's arithmetic holds; text may be changed as CheckNumber
// says. Strings are skipped whole, so a run of digits inside one is never
// taken for a number; the text ends at its first NUL, as it does for the
// parser.
bool NumbersFitTheParser(char *text, size_t length) {
  const char *end = text + length;
  bool fits = true;
  for (char *p = text; fits;) {
    while (!kOutsideStops.at[(unsigned char)*p]) p++;
    if (*p == '"')
      p = SkipString(p + 1, end);
    else if (*p)
      p = CheckNumber(p, &fits);
    else
      break;
  }
  return fits;
}

// The root object's first member "name" when it is a string, else NULL.
// Any other root has no members to look at.
const char *ManifestName(const Document &dom) {
  if (!dom.IsObject()) return NULL;
  Document::ConstMemberIterator name = dom.FindMember("name");
  if (name == dom.MemberEnd() || !name->value.IsString()) return NULL;
  return name->value.GetString();
}

}  // namespace

ManifestOutcome ReportManifestText(char *text, size_t length, FILE *out) {
  try {
    // A number past RapidJSON's arithmetic fails as the parse would.
    if (!NumbersFitTheParser(text, length)) return MANIFEST_UNPARSED;
    // Owns every value parsed from text. Iterative: the recursive parser
    // overflows the stack on deep nesting.
    Document dom;
    dom.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(text);
    if (dom.HasParseError()) return MANIFEST_UNPARSED;
    const char *name = ManifestName(dom);
    if (!name) return MANIFEST_UNNAMED;
    fprintf(out, "name: %s\n", name);  // NOLINT(cert-err33-c) a report that cannot be written has nowhere to say so
    fflush(out);                       // NOLINT(cert-err33-c) on the console before the box that follows
    return MANIFEST_NAMED;
  } catch (...) {
    // No memory for the document, its values or its parse stack.
    return MANIFEST_UNPARSED;
  }
}
