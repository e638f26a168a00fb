#include "mpegdec/decoder.h"

#include <algorithm>

#include "mpegdec/decoder_state.h"
#include "mpegdec/decoder_tables.h"
#include "mpegdec/layer12.h"
#include "mpegdec/layer3.h"

namespace sonvarek::mpegdec {
Decoder::Decoder() : state_(std::make_unique<detail::DecoderState>()) {}
Decoder::~Decoder() = default;

namespace detail {

int32_t stream_frame_length(const DecoderState& state, const uint8_t* input, int32_t available, MpegHeader& header) {
  if (input == nullptr || available < 4 || !DecodeHeaderFields(input, header)) return 0;
  const MpegHeader& stream = state.stream;
  if (!SameStream(header, stream)) return 0;
  int32_t length = header.br_index == 0 ? (stream.br_index == 0 ? state.framebytes : 0) : HeaderTableFrameLength(header);
  if (length <= 0) return 0;
  length += header.pad * HeaderSlotBytes(header);
  return length > available ? 0 : length;
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
  for (detail::FixedSynthState& synth : state.fixed_synth) synth = detail::FixedSynthState{};
}

// The frame routine for a layer code.
// The integer variant has no Layer III.
detail::FrameDecoder frame_decoder_for(const MpegHeader& header, bool fixed) {
  switch (header.option) {
    case kLayerIII: return fixed ? nullptr : detail::l3_decode_frame;
    case kLayerII: return fixed ? detail::l2_decode_frame_fixed : detail::l2_decode_frame;
    case kLayerI: return fixed ? detail::l1_decode_frame_fixed : detail::l1_decode_frame;
    default: return nullptr;
  }
}

// Full rate, floating point or fixed point.
int32_t full_init(DecoderState& state, const MpegHeader& header, int32_t framebytes, int32_t reduction_code,
                  int32_t convert_code, int32_t freq_limit, bool fixed) {
  state.initialised = false;
  state.eight_khz.initialised = false;
  state.info = DecoderInfo{};
  const detail::FrameDecoder decode_frame = frame_decoder_for(header, fixed);
  if (decode_frame == nullptr || header.sync < 1 || header.sync > 2 || header.id < 0 || header.id > 1) return 0;
  if (header.sr_index < 0 || header.sr_index > 2 || header.br_index < 0 || header.br_index > 14) return 0;
  if (header.sync == 2 && header.id == 1) return 0;
  if (header.br_index == 0 && framebytes <= 0) return 0;
  // Layers I and II have no MPEG-2.5 form; Layer II needs an allocation table for the stream.
  if (header.option != kLayerIII && header.sync != 1) return 0;
  if (header.option == kLayerII && detail::l12_allocation_table(header, framebytes) == nullptr) return 0;
  detail::Tables();  // built on the first Init of the process

  state.decode_frame = decode_frame;
  state.stream = header;
  state.framebytes = framebytes;
  state.reduction = std::clamp<int32_t>(reduction_code, kFullRate, kQuarterRate);
  const int32_t sample_rate = HeaderSampleRate(header);
  state.subbands = subbands_decoded(sample_rate, std::max(freq_limit, 1000), state.reduction);
  if (header.option == kLayerII) {
    state.subbands = std::min(state.subbands, detail::l12_allocation_table(header, framebytes)->sblimit);
  }
  const auto conversion = static_cast<ChannelConversion>(convert_code & kConvertChannelMask);
  const bool single = header.mode == kSingleChannel || conversion != kKeepChannels;
  state.conversion = header.mode == kSingleChannel ? kKeepChannels : conversion;
  state.eight_bit = (convert_code & kConvertEightBit) != 0;
  const int32_t samples = header.option == kLayerI ? 384 : header.option == kLayerII || header.id == 1 ? 1152 : 576;

  state.info.channels = single ? 1 : 2;
  state.info.outvalues = state.info.channels * (samples >> state.reduction);
  state.info.samprate = sample_rate >> state.reduction;
  state.info.bits = state.eight_bit ? 8 : 16;
  state.info.framebytes = framebytes;
  state.info.type = kLinearSamples;
  reset_stream_state(state);
  state.initialised = true;
  return 1;
}

int32_t float_full_init(Decoder& decoder, const MpegHeader& header, int32_t framebytes, int32_t reduction_code,
                        int32_t /*transform_code*/, int32_t convert_code, int32_t freq_limit) {
  return full_init(decoder.state(), header, framebytes, reduction_code, convert_code, freq_limit, false);
}

int32_t integer_full_init(Decoder& decoder, const MpegHeader& header, int32_t framebytes, int32_t reduction_code,
                          int32_t /*transform_code*/, int32_t convert_code, int32_t freq_limit) {
  return full_init(decoder.state(), header, framebytes, reduction_code, convert_code, freq_limit, true);
}

int32_t full_info(const Decoder& decoder, DecoderInfo& info) {
  const DecoderState& state = decoder.state();
  info = state.initialised ? state.info : DecoderInfo{};
  return state.initialised ? 1 : 0;
}

FrameResult full_decode(Decoder& decoder, const uint8_t* input, int32_t available, uint8_t* output) {
  DecoderState& state = decoder.state();
  if (!state.initialised || output == nullptr) return {};
  return state.decode_frame(state, input, available, output);
}

// The output kind convert_code selects; codes below 4 give 16-bit, codes past mu-law give mu-law.
EightKhzOutput eight_khz_output(int32_t convert_code) {
  const int32_t kind = convert_code >> kEightKhzOutputShift;
  if (kind < static_cast<int32_t>(EightKhzOutput::Linear16)) return EightKhzOutput::Linear16;
  if (kind > static_cast<int32_t>(EightKhzOutput::MuLaw)) return EightKhzOutput::MuLaw;
  return static_cast<EightKhzOutput>(kind);
}

// 8 kHz output: the full-rate decoder at a quarter (MPEG-1) or half (MPEG-2) rate with the
// 3200 Hz limit, one channel, resampled by linear interpolation in eighths of a sample.
int32_t eight_khz_init(Decoder& decoder, const MpegHeader& header, int32_t framebytes, int32_t /*reduction_code*/,
                       int32_t /*transform_code*/, int32_t convert_code, int32_t /*freq_limit*/) {
  DecoderState& state = decoder.state();
  if (header.sync == 2) {
    state.initialised = false;
    state.eight_khz.initialised = false;
    return 0;
  }
  const int32_t reduction = header.id == 1 ? kQuarterRate : kHalfRate;
  const int32_t channels = convert_code & kConvertChannelMask;
  const int32_t conversion = channels == kKeepChannels ? kMixChannels : channels;
  if (full_init(state, header, framebytes, reduction, conversion, 3200, false) == 0) return 0;
  detail::EightKhzState& eight = state.eight_khz;
  eight.kind = eight_khz_output(convert_code);
  eight.step = (HeaderSampleRate(header) / 1000) >> reduction;
  eight.position = 8;  // the first output is the first decoded sample
  eight.last = 0;
  const int32_t decoded = state.info.outvalues;
  eight.info = DecoderInfo{};
  eight.info.channels = 1;
  eight.info.outvalues = (8 * decoded - 1) / eight.step + 1;  // the most any frame gives
  eight.info.samprate = 8000;
  eight.info.bits = eight.kind == EightKhzOutput::Linear16 ? 16 : 8;
  eight.info.framebytes = framebytes;
  eight.info.type = eight.kind == EightKhzOutput::MuLaw ? kMuLawSamples : kLinearSamples;
  eight.initialised = true;
  return 1;
}

int32_t eight_khz_info(const Decoder& decoder, DecoderInfo& info) {
  const DecoderState& state = decoder.state();
  const bool ready = state.initialised && state.eight_khz.initialised;
  info = ready ? state.eight_khz.info : DecoderInfo{};
  return ready ? 1 : 0;
}

void eight_khz_put(const detail::EightKhzState& eight, int32_t sample, uint8_t* output, int32_t index) {
  switch (eight.kind) {
    case EightKhzOutput::Linear16:
      output[2 * index] = static_cast<uint8_t>(sample);
      output[2 * index + 1] = static_cast<uint8_t>(static_cast<uint32_t>(sample) >> 8);
      break;
    case EightKhzOutput::Linear8: output[index] = static_cast<uint8_t>((sample >> 8) + 128); break;
    case EightKhzOutput::MuLaw: output[index] = detail::Tables().mulaw[(sample >> 3) & 8191]; break;
  }
}

FrameResult eight_khz_decode(Decoder& decoder, const uint8_t* input, int32_t available, uint8_t* output) {
  DecoderState& state = decoder.state();
  if (!state.initialised || !state.eight_khz.initialised || output == nullptr) return {};
  detail::EightKhzState& eight = state.eight_khz;
  FrameResult frame = state.decode_frame(state, input, available, eight.decoded);
  if (frame.in_bytes <= 0) return frame;
  const int32_t count = frame.out_bytes / 2;
  auto sample = [&](int32_t i) {  // i = 0 is the previous frame's last sample
    if (i == 0) return static_cast<int32_t>(eight.last);
    return static_cast<int32_t>(static_cast<int16_t>(eight.decoded[2 * i - 2] | (eight.decoded[2 * i - 1] << 8)));
  };
  int32_t produced = 0;
  for (; eight.position < 8 * count; eight.position += eight.step) {
    const int32_t i = eight.position >> 3;
    const int32_t fraction = eight.position & 7;
    const int32_t value = (sample(i) * (8 - fraction) + sample(i + 1) * fraction + 4) >> 3;
    eight_khz_put(eight, value, output, produced++);
  }
  eight.position -= 8 * count;
  eight.last = static_cast<int16_t>(sample(count));
  frame.out_bytes = produced * (eight.kind == EightKhzOutput::Linear16 ? 2 : 1);
  return frame;
}

constexpr DecoderVariant kFloatFullRate{float_full_init, full_info, full_decode};
constexpr DecoderVariant kEightKilohertz{eight_khz_init, eight_khz_info, eight_khz_decode};
constexpr DecoderVariant kIntegerFullRate{integer_full_init, full_info, full_decode};

}  // namespace

const DecoderVariant DecoderTable[2][2] = {
    {kFloatFullRate, kEightKilohertz},
    {kIntegerFullRate, kEightKilohertz},
};

const DecoderVariant& DecoderVariantFor(Arithmetic arithmetic, OutputRate rate) {
  return DecoderTable[static_cast<int>(arithmetic)][static_cast<int>(rate)];
}

const DecoderVariant& ChooseDecoderVariant(int32_t integer_flag, int32_t eight_khz_flag, int32_t convert_code) {
  const Arithmetic arithmetic = (integer_flag & 1) != 0 ? Arithmetic::Integer : Arithmetic::Float;
  const bool eight_khz = eight_khz_flag != 0 && convert_code >= (1 << kEightKhzOutputShift);
  return DecoderVariantFor(arithmetic, eight_khz ? OutputRate::EightKhz : OutputRate::Full);
}

}  // namespace sonvarek::mpegdec
