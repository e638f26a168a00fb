#include "mpegdec/decoder.h"

#include <algorithm>

#include "mpegdec/decoder_state.h"
#include "mpegdec/decoder_tables.h"
#include "mpegdec/layer12.h"
#include "mpegdec/layer3.h"

namespace sonvarek::mpegdec {
namespace detail {

DecoderState& State() {
  static DecoderState state;
  return state;
}

}  // namespace detail

namespace {

using detail::DecoderState;

int32_t subbands_decoded(int32_t sample_rate, int32_t freq_limit, int32_t reduction) {
  int32_t cap = 32 >> reduction;
  if (cap > 8) cap -= 1;
  const int64_t wanted = (sample_rate / 2 + int64_t{64} * freq_limit) / sample_rate;  // no overflow for any limit
  return static_cast<int32_t>(std::min<int64_t>(wanted, cap));
}

void reset_stream_state(DecoderState& state) {
  state.reservoir_bytes = 0;
  std::fill(&state.overlap[0][0][0], &state.overlap[0][0][0] + 2 * 32 * 18, 0.0f);
  detail::synth_reset(state.synth[0]);
  detail::synth_reset(state.synth[1]);
  std::fill(&state.subband_samples[0][0][0], &state.subband_samples[0][0][0] + 2 * 32 * detail::kSlotStride, 0.0f);
}

// The frame routine for a layer code.
detail::FrameDecoder frame_decoder_for(const MpegHeader& header) {
  switch (header.option) {
    case 1: return detail::l3_decode_frame;
    case 2: return detail::l2_decode_frame;
    case 3: return detail::l1_decode_frame;
    default: return nullptr;
  }
}

// Floating point, full rate.
int32_t float_full_init(const MpegHeader& header, int32_t framebytes, int32_t reduction_code, int32_t /*transform_code*/,
                        int32_t convert_code, int32_t freq_limit) {
  DecoderState& state = detail::State();
  state.initialised = false;
  state.info = DecoderInfo{};
  const detail::FrameDecoder decode_frame = frame_decoder_for(header);
  if (decode_frame == nullptr || header.sync < 1 || header.sync > 2 || header.id < 0 || header.id > 1) return 0;
  if (header.sr_index < 0 || header.sr_index > 2 || header.br_index < 0 || header.br_index > 14) return 0;
  if (header.sync == 2 && header.id == 1) return 0;
  if (header.br_index == 0 && framebytes <= 0) return 0;
  // Layers I and II have no MPEG-2.5 form; Layer II needs an allocation table for the stream.
  if (header.option != 1 && header.sync != 1) return 0;
  if (header.option == 2 && detail::l12_allocation_table(header, framebytes) == nullptr) return 0;
  detail::Tables();  // built on the first Init of the process

  state.decode_frame = decode_frame;
  state.stream = header;
  state.framebytes = framebytes;
  state.reduction = std::clamp(reduction_code, 0, 2);
  const int32_t sample_rate = HeaderSampleRate(header);
  state.subbands = subbands_decoded(sample_rate, std::max(freq_limit, 1000), state.reduction);
  if (header.option == 2) state.subbands = std::min(state.subbands, detail::l12_allocation_table(header, framebytes)->sblimit);
  const int32_t conversion = convert_code & 3;
  const bool single = header.mode == 3 || conversion != 0;
  state.conversion = header.mode == 3 ? detail::ChannelConversion::Keep : static_cast<detail::ChannelConversion>(conversion);
  state.eight_bit = (convert_code & 8) != 0;
  const int32_t samples = header.option == 3 ? 384 : header.option == 2 || header.id == 1 ? 1152 : 576;

  state.info.channels = single ? 1 : 2;
  state.info.outvalues = state.info.channels * (samples >> state.reduction);
  state.info.samprate = sample_rate >> state.reduction;
  state.info.bits = state.eight_bit ? 8 : 16;
  state.info.framebytes = framebytes;
  state.info.type = 0;
  reset_stream_state(state);
  state.initialised = true;
  return 1;
}

int32_t float_full_info(DecoderInfo& info) {
  const DecoderState& state = detail::State();
  info = state.initialised ? state.info : DecoderInfo{};
  return state.initialised ? 1 : 0;
}

FrameResult float_full_decode(const uint8_t* input, int32_t available, uint8_t* output) {
  DecoderState& state = detail::State();
  if (!state.initialised || output == nullptr) return {};
  return state.decode_frame(state, input, available, output);
}

// The integer decoder and the 8 kHz output are built in the next stage; they refuse every
// stream for now, so a caller that chooses them fails at Init with a clear 0.
int32_t not_built_init(const MpegHeader&, int32_t, int32_t, int32_t, int32_t, int32_t) { return 0; }
int32_t not_built_info(DecoderInfo& info) {
  info = DecoderInfo{};
  return 0;
}
FrameResult not_built_decode(const uint8_t*, int32_t, uint8_t*) { return {}; }

constexpr DecoderVariant kFloatFullRate{float_full_init, float_full_info, float_full_decode};
constexpr DecoderVariant kEightKilohertz{not_built_init, not_built_info, not_built_decode};
constexpr DecoderVariant kIntegerFullRate{not_built_init, not_built_info, not_built_decode};

}  // namespace

const DecoderVariant DecoderTable[2][2] = {
    {kFloatFullRate, kEightKilohertz},
    {kIntegerFullRate, kEightKilohertz},
};

const DecoderVariant& ChooseDecoderVariant(int32_t integer_flag, int32_t eight_khz_flag, int32_t convert_code) {
  const int row = integer_flag & 1;
  const int column = eight_khz_flag != 0 && convert_code >= 4 ? 1 : 0;
  return DecoderTable[row][column];
}

}  // namespace sonvarek::mpegdec
