#pragma once

#include <cstdint>

#include "mpegdec/decoder_state.h"

namespace sonvarek::mpegdec::detail {

// One Layer II bit-allocation table: per subband the width of the allocation field and the
// quantisation levels each allocation value selects (index value - 1).
struct L2AllocationTable {
  int sblimit;
  uint8_t nbal[32];
  const uint16_t* levels[32];
};

// The allocation table of a Layer II frame, or null for a combination that has none (MPEG-1:
// a bit rate per channel outside 32..192 kbit/s, or a two-channel rate of 32, 48, 56 or 80).
// MPEG-2 frames use the single low-rate table. Free format chooses by the bit rate that
// `free_format_bytes` (the frame length without padding) gives, whatever its value.
const L2AllocationTable* l12_allocation_table(const MpegHeader& header, int32_t free_format_bytes);

// Decode one Layer I or Layer II frame with one stream's state (see DecoderVariant::Decode).
FrameResult l1_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output);
FrameResult l2_decode_frame(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output);
// The same in fixed point only (the integer variant): no floating point per frame.
FrameResult l1_decode_frame_fixed(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output);
FrameResult l2_decode_frame_fixed(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output);

}  // namespace sonvarek::mpegdec::detail
