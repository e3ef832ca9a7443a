// Reading and judging the version manifest (ReportManifestName, its lines
// going to a null stream) against the floor: the file read with one ReadFile
// call, then RapidJSON parsing the bytes in memory.
#include <rapidjson/document.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "bench/bench.h"
#include "launch/manifest.h"
#include "support/registry_fixture.h"
#include "support/wine_helpers.h"

namespace {

// One library entry as the game's version files list them, pretty-printed.
std::string Library(int i) {
  char sha[41];
  for (int k = 0; k < 40; k++) sha[k] = "0123456789abcdef"[(i * 7 + k * 13) % 16];
  sha[40] = 0;
  char text[640];
  snprintf(text, sizeof text,
           "    {\n"
           "      \"name\": \"org.example:library-%d:3.2.%d\",\n"
           "      \"downloads\": {\n"
           "        \"artifact\": {\n"
           "          \"path\": \"org/example/library-%d/3.2.%d/library-%d-3.2.%d.jar\",\n"
           "          \"sha1\": \"%s\",\n"
           "          \"size\": %d,\n"
           "          \"url\": \"https://libraries.example.net/org/example/library-%d/3.2.%d/library-%d-3.2.%d.jar\"\n"
           "        }\n"
           "      },\n"
           "      \"rules\": [{\"action\": \"allow\", \"os\": {\"name\": \"windows\"}}],\n"
           "      \"natives\": {\"windows\": \"natives-windows\", \"x86\": %s, \"weight\": %d.%d}\n"
           "    }",
           i, i % 10, i, i % 10, i, i % 10, sha, 1000 + i * 37, i, i % 10, i, i % 10, i % 2 ? "true" : "false",
           i % 1000, i % 7);
  return text;
}

// A manifest of `bytes` bytes (LF line ends, blank lines at its end to make
// up the size) whose name is 1.16.5.
std::string Manifest(size_t bytes) {
  std::string text =
      "{\n  \"name\": \"1.16.5\",\n  \"id\": \"1.16.5\",\n  \"type\": \"release\",\n"
      "  \"mainClass\": \"net.minecraft.client.main.Main\",\n  \"libraries\": [\n";
  for (int i = 0;; i++) {
    std::string next = (i ? ",\n" : "") + Library(i);
    if (text.size() + next.size() + 8 > bytes) break;
    text += next;
  }
  text += "\n  ]\n}\n";
  if (text.size() < bytes) text.append(bytes - text.size(), '\n');
  return text;
}

// The floor: one read of the whole file, then the parse.
bool Floor(const char *path, bool iterative) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  GetFileSizeEx(file, &size);
  char *text = (char *)malloc(size.QuadPart + 1);
  if (!text) {
    CloseHandle(file);
    return false;
  }
  DWORD got = 0;
  ReadFile(file, text, (DWORD)size.QuadPart, &got, NULL);
  CloseHandle(file);
  text[got] = 0;
  rapidjson::Document dom;
  if (iterative)
    dom.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(text);
  else
    dom.Parse(text);
  bool ok = !dom.HasParseError() && dom.IsObject() && dom.HasMember("name");
  free(text);
  return ok;
}

}  // namespace

void BenchManifest() {
  printf("launch: ReportManifestName vs one ReadFile + RapidJSON parse in memory (target <= 1.3x)\n");
  printf("  (the product parses iteratively, which deep nesting needs; the last column's floor does too)\n");
  TempDir dir;
  ScopedCurrentDir cwd(dir.path());
  dir.MakeDir("versions");
  FILE *null = fopen("NUL", "w");
  struct Size {
    const char *what;
    size_t bytes;
    bool crlf;
  };
  for (const Size &size : {Size{"1 KB", 1024, false}, Size{"10 MB", (size_t)10 << 20, false},
                           Size{"10 MB, CR LF", (size_t)10 << 20, true}}) {
    std::string text = Manifest(size.bytes);
    if (size.crlf) {
      std::string crlf;
      for (char c : text) crlf += c == '\n' ? "\r\n" : std::string(1, c);
      text.swap(crlf);
    }
    WriteFileBytes(dir.path() + "\\versions\\manifest.json", text);
    if (!Floor(MANIFEST_PATH, false)) {
      printf("  the test manifest does not parse\n");
      return;
    }
    int rounds = size.bytes > 100000 ? 10 : 2000;
    double ours = 1e300, floor = 1e300, floorIterative = 1e300;
    for (int r = 0; r < rounds; r++) {
      ours = std::min(ours, BestMicros(1, [&] { ReportManifestName(MANIFEST_PATH, null, null); }));
      floor = std::min(floor, BestMicros(1, [&] { Floor(MANIFEST_PATH, false); }));
      floorIterative = std::min(floorIterative, BestMicros(1, [&] { Floor(MANIFEST_PATH, true); }));
    }
    printf("  %-13s %10.1f us  floor %10.1f us  ratio %5.2fx   iterative floor %10.1f us: %5.2fx\n", size.what, ours,
           floor, ours / floor, floorIterative, ours / floorIterative);
  }
  fclose(null);
}
