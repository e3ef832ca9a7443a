// The version manifest: read, parsed, and its name reported.
#pragma once
#include <stdio.h>

// Relative to the current directory.
constexpr char MANIFEST_PATH[] = "./versions/manifest.json";

// Reads the manifest at path in text mode and parses it. Writes
// "name: <name>\n" to out when the root object's first member "name" is a
// string; writes "fail to read json file: <path>\n" to err when the file
// cannot be read, and "fail to parse json file: <path>\n" when its text
// (the empty text for an unreadable file) is not one JSON value, or holds a
// number that the parser's arithmetic cannot hold (ReportManifestText).
// Never throws.
void ReportManifestName(const char *path, FILE *out, FILE *err);
