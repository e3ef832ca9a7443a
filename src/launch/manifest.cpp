#include "launch/manifest.h"

#include <rapidjson/document.h>

#include <string>

namespace {

// Appends the rest of in to text. False (and text emptied) when the stream
// fails or the text does not fit in memory.
bool ReadRest(FILE *in, std::string *text) {
  try {
    char chunk[4096];
    size_t n;
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
  if (in) fclose(in);
  if (!read) fprintf(err, "fail to read json file: %s\n", path);

  try {
    // Owns every value parsed from json_content; released first.
    rapidjson::Document dom;
    // Iterative: the recursive parser overflows the stack on deep nesting.
    dom.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(json_content.c_str());
    if (dom.HasParseError()) {
      fprintf(err, "fail to parse json file: %s\n", path);
    } else if (const char *name = ManifestName(dom)) {
      fprintf(out, "name: %s\n", name);
      fflush(out);  // on the console before the box that follows
    }
  } catch (...) {  // no memory for the document or its parse stack
    fprintf(err, "fail to parse json file: %s\n", path);
  }
}
