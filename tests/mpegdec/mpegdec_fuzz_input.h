#pragma once

#include <cstddef>
#include <cstdint>

namespace sonvarek::mpegdec::test {

// The fuzz harness's work on one input, shared by the libFuzzer target and the regression
// test that replays its corpus: the first byte picks Init's options, the second the decoder
// variant (bits 0-1: row, column) and the 8 kHz convert_code (bits 2-7); the rest is parsed with
// ParseHeaderWithBitrate and, from the first header that Init accepts, decoded frame by frame
// into an output buffer of exactly Info's size, resynchronising byte by byte.
void FuzzDecodeInput(const uint8_t* data, size_t size);

}  // namespace sonvarek::mpegdec::test
