#include "bench/bench.h"

const Bench kBenches[] = {
    {"startup", BenchStartup},          {"paint", BenchPaint}, {"manifest", BenchManifest},
    {"runtime", BenchRuntimeDetection}, {nullptr, nullptr},
};
