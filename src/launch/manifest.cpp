#include "launch/manifest.h"

#include <io.h>
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
  static const bool kNeedFree = true;
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

// How much more room to make after `capacity` bytes filled up, the first
// time: the rest of the file by its length, plus a byte for the terminator
// and one that lets the next read come up short at the end. A hint only:
// text mode may make the text shorter, and whatever follows is read on.
size_t RoomForTheRest(FILE *in, size_t capacity) {
  long long length = _filelengthi64(_fileno(in));
  if (length <= 0 || (unsigned long long)length >= SIZE_MAX / 2 || (size_t)length + 2 <= capacity) return 0;
  return (size_t)length + 2 - capacity;
}

// The rest of in as a NUL-terminated text in a malloc'd block, its length
// in *length; the caller frees it. NULL when the stream fails or the text
// does not fit in memory.
char *ReadRest(FILE *in, size_t *length) {
  const size_t kChunk = 4096;
  size_t capacity = kChunk, size = 0;
  char *text = (char *)malloc(capacity);
  while (text) {
    size_t wanted = capacity - 1 - size;
    size_t got = fread(text + size, 1, wanted, in);
    size += got;
    // Short: the end of the text or a failure (ferror below). Not read
    // again: a stream at its end stays there.
    if (got < wanted) break;
    // A manifest longer than a chunk is read whole by its length in one
    // more read (4 KB at a time made a 10 MB one take a fifth longer).
    // A long file may hold a short text (0x1A): without room for its
    // length, the text grows by half at a time.
    size_t rest = capacity == kChunk ? RoomForTheRest(in, capacity) : 0;
    size_t more = capacity / 2 > kChunk ? capacity / 2 : kChunk;
    char *bigger = rest > more ? (char *)realloc(text, capacity + rest) : NULL;
    if (bigger) {
      more = rest;
    } else if (capacity < SIZE_MAX - more) {
      bigger = (char *)realloc(text, capacity + more);
    }
    if (!bigger) free(text);
    text = bigger;
    capacity += more;
  }
  if (text && ferror(in)) {
    free(text);
    return NULL;
  }
  if (text) text[size] = '\0';
  *length = size;
  return text;
}

// RapidJSON keeps a number's decimal exponent in an int and does not check
// all of its sums. Each leading zero of a fraction lowers the exponent by one
// and raises the bound of a positive exponent by one, so after 214,748,057
// zeros "1e2147483648" wraps round before the bound is compared (upstream
// issue #2303's class, #2391); a negative exponent of ten digits after a
// fraction of ten digits wraps when the two are added (#1261, fixed in
// Debian 13's package only); and about two billion fraction digits wrap the
// count itself (#2391). A wrapped exponent then indexes far outside the
// table of powers of ten, and the program crashes. So each number is looked
// at before the parse, and this can go once a fixed RapidJSON ships.
const long long kIntMax = 2147483647;
// Far more fraction digits than a 32-bit process can hold; past them the
// count of fraction digits itself nears INT_MIN.
const long long kMostFractionDigits = 2000000000;
// A negative exponent this large makes any number 0 (its integer part has at
// most 309 digits, or the parse fails on it).
const char kNegativeExponentCap[] = "1000000";
const long long kNegativeExponentCapValue = 1000000;

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
// false when RapidJSON cannot hold it: a positive exponent past INT_MAX,
// which RapidJSON would reject if its arithmetic held (as it rejects 1e309),
// or a fraction of two billion digits. A negative exponent past the cap is
// written as the cap, with leading zeros to keep the length: the number is
// 0 either way, and RapidJSON's sum then stays within an int.
char *CheckNumber(char *p, bool *fits) {
  long long value;
  p = Digits(p + (*p == '-'), &value);
  if (*p == '.') {
    char *fraction = p + 1;
    p = Digits(fraction, &value);
    if (p - fraction >= kMostFractionDigits) *fits = false;
  }
  if (*p != 'e' && *p != 'E') return p;
  bool negative = *++p == '-';
  if (*p == '-' || *p == '+') p++;
  char *digits = p;
  p = Digits(digits, &value);
  if (!negative && value > kIntMax) *fits = false;
  if (negative && value > kNegativeExponentCapValue) {
    const size_t capDigits = sizeof kNegativeExponentCap - 1;
    memset(digits, '0', (size_t)(p - digits) - capDigits);
    memcpy(p - capDigits, kNegativeExponentCap, capDigits);
  }
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

void ReportManifestName(const char *path, FILE *out, FILE *err) {
  // Text mode: CR LF arrives as LF and a byte 0x1A ends the text. The stream
  // is closed as soon as its text has been read.
  FILE *in = fopen(path, "r");
  size_t length = 0;
  char *json_content = in ? ReadRest(in, &length) : NULL;  // freed below
  if (in) fclose(in);  // NOLINT(cert-err33-c) read only: nothing is lost when closing fails
  // Here and below: a report that cannot be written has nowhere to say so.
  if (!json_content) fprintf(err, "fail to read json file: %s\n", path);  // NOLINT(cert-err33-c)

  try {
    // Owns every value parsed from json_content; released first.
    Document dom;
    // A number past RapidJSON's arithmetic fails as the parse would.
    bool fits = !json_content || NumbersFitTheParser(json_content, length);
    // Iterative: the recursive parser overflows the stack on deep nesting.
    if (fits)
      dom.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(json_content ? json_content : "");
    if (!fits || dom.HasParseError()) {
      fprintf(err, "fail to parse json file: %s\n", path);  // NOLINT(cert-err33-c)
    } else if (const char *name = ManifestName(dom)) {
      fprintf(out, "name: %s\n", name);  // NOLINT(cert-err33-c)
      fflush(out);                       // NOLINT(cert-err33-c) on the console before the box that follows
    }
  } catch (...) {
    // No memory for the document, its values or its parse stack.
    fprintf(err, "fail to parse json file: %s\n", path);  // NOLINT(cert-err33-c)
  }
  free(json_content);
}
