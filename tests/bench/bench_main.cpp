// Benchmarks, printed as ratios against a floor measured in the same run.
// Not part of the test suite: tools/bench runs this program under Wine.
#include <stdio.h>
#include <string.h>

#include "bench/bench.h"

int main(int argc, char **argv) {
  const char *only = argc > 1 ? argv[1] : "";
  for (const Bench *b = kBenches; b->name; b++)
    if (!*only || strcmp(only, b->name) == 0) b->run();
  return 0;
}
