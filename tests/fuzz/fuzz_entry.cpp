// The libFuzzer target of one harness, chosen when the target is built (scripts/fuzz).
#include <cstddef>
#include <cstdint>

#include "fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sonvarek::fuzz::SONVAREK_FUZZ_HARNESS(data, size);
  return 0;
}
