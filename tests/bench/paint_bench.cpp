void BenchPaint() {}
