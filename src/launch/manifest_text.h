// What a version manifest's text says: the part of the launch command that
// needs no Windows header, built natively too (the fuzz target).
#pragma once
#include <stddef.h>
#include <stdio.h>

enum ManifestOutcome {
  MANIFEST_NAMED,     // "name: <name>\n" was written to out
  MANIFEST_UNNAMED,   // parsed, but the root object has no string "name" first
  MANIFEST_UNPARSED,  // not one JSON value, a number RapidJSON cannot hold, or no memory
};

// Parses the length bytes of text (a NUL follows them, and the text ends at
// its first NUL, as a text-mode read leaves it) and writes the name line to
// out when there is a name. Numbers in text may be rewritten in place (see
// manifest_text.cpp). Never throws.
ManifestOutcome ReportManifestText(char *text, size_t length, FILE *out);
