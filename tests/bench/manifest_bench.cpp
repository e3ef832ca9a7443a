void BenchManifest() {}
