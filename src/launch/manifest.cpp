#include "launch/manifest.h"

#include <io.h>
#include <stdint.h>
#include <stdlib.h>

#include "launch/manifest_text.h"

namespace {

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
  if (!json_content || ReportManifestText(json_content, length, out) == MANIFEST_UNPARSED)
    fprintf(err, "fail to parse json file: %s\n", path);  // NOLINT(cert-err33-c)
  free(json_content);
}
