// Shared timing helpers and the list of benchmarks.
#pragma once
#include <windows.h>

#include <algorithm>

struct Bench {
  const char *name;
  void (*run)();
};
extern const Bench kBenches[];

// Best of `rounds` timings of f, in microseconds.
template <typename F>
double BestMicros(int rounds, F f) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  double best = 1e300;
  for (int i = 0; i < rounds; i++) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    best = std::min(best, (b.QuadPart - a.QuadPart) * 1e6 / freq.QuadPart);
  }
  return best;
}

void BenchStartup();
void BenchPaint();
void BenchManifest();
void BenchRuntimeDetection();
