#include "launch/manifest.h"

#include <io.h>
#include <rapidjson/document.h>

#include <new>
#include <string>

namespace {

// Appends the rest of in to text. False (and text emptied) when the stream
// fails or the text does not fit in memory.
bool ReadRest(FILE *in, std::string *text) {
  try {
    char chunk[4096];
    size_t n = fread(chunk, 1, sizeof chunk, in);
    text->append(chunk, n);
    // More than a chunk: the rest in one read, sized by the file's length (a
    // hint only: text mode may make the text shorter, and the loop below
    // takes whatever follows). Reading 4 KB at a time into a growing string
    // made a 10 MB manifest take a fifth longer.
    long long length = n == sizeof chunk ? _filelengthi64(_fileno(in)) : 0;
    if (length > 0 && (unsigned long long)length < text->max_size() - text->size()) {
      size_t before = text->size();
      try {
        text->resize(before + (size_t)length);
      } catch (const std::bad_alloc &) {  // a long file may hold a short text (0x1A): read on by chunks
      }
      if (text->size() > before) text->resize(before + fread(&(*text)[before], 1, (size_t)length, in));
    }
    while ((n = fread(chunk, 1, sizeof chunk, in)) > 0) text->append(chunk, n);
    if (!ferror(in)) return true;
  } catch (...) {  // std::bad_alloc from a manifest larger than memory
  }
  std::string().swap(*text);
  return false;
}

// The root object's first member "name" when it is a string, else NULL.
// Any other root has no members to look at.
const char *ManifestName(const rapidjson::Document &dom) {
  if (!dom.IsObject()) return NULL;
  rapidjson::Value::ConstMemberIterator name = dom.FindMember("name");
  if (name == dom.MemberEnd() || !name->value.IsString()) return NULL;
  return name->value.GetString();
}

}  // namespace

void ReportManifestName(const char *path, FILE *out, FILE *err) {
  // Text mode: CR LF arrives as LF and a byte 0x1A ends the text. The stream
  // is closed as soon as its text has been read.
  FILE *in = fopen(path, "r");
  std::string json_content;
  bool read = in && ReadRest(in, &json_content);
  if (in) fclose(in);  // NOLINT(cert-err33-c) read only: nothing is lost when closing fails
  // Here and below: a report that cannot be written has nowhere to say so.
  if (!read) fprintf(err, "fail to read json file: %s\n", path);  // NOLINT(cert-err33-c)

  try {
    // Owns every value parsed from json_content; released first.
    rapidjson::Document dom;
    // Iterative: the recursive parser overflows the stack on deep nesting.
    dom.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(json_content.c_str());
    if (dom.HasParseError()) {
      fprintf(err, "fail to parse json file: %s\n", path);  // NOLINT(cert-err33-c)
    } else if (const char *name = ManifestName(dom)) {
      fprintf(out, "name: %s\n", name);  // NOLINT(cert-err33-c)
      fflush(out);                       // NOLINT(cert-err33-c) on the console before the box that follows
    }
  } catch (...) {
    // No memory for the document or its parse stack.
    fprintf(err, "fail to parse json file: %s\n", path);  // NOLINT(cert-err33-c)
  }
}
