#include "bench/bench.h"

const Bench kBenches[] = {
    {"runtime", BenchRuntimeDetection},
    {nullptr, nullptr},
};
