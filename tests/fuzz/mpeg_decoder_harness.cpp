// The MPEG decoder's own harness, kept with the decoder's tests.
#include "fuzz_harness.h"
#include "mpegdec_fuzz_input.h"

namespace sonvarek::fuzz {

void FuzzMpegDecoder(const uint8_t* data, size_t size) { mpegdec::test::FuzzDecodeInput(data, size); }

}  // namespace sonvarek::fuzz
