// libFuzzer entry point; built by tools/mpegdec-fuzz.sh with clang.
#include <cstddef>
#include <cstdint>

#include "mpegdec_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sonvarek::mpegdec::test::FuzzDecodeInput(data, size);
  return 0;
}
