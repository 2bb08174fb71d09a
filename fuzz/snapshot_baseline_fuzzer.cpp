// Fuzz target: opening a snapshot file as the baseline (loadBaselineImage).
#include "fuzz/snapshot_file_fuzz_main.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return snapshot_fuzz::runOne(data, size, true);
}
