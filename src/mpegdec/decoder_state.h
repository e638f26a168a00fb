#pragma once

#include <cstdint>

#include "mpegdec/decoder.h"
#include "mpegdec/mpeg_header.h"
#include "mpegdec/synthesis.h"

namespace sonvarek::mpegdec::detail {

inline constexpr int32_t kMaxMainDataBytes = 8192;
inline constexpr int32_t kMaxMainDataBegin = 511;
// The bit readers may look up to 16 bytes past the last byte they are allowed to use.
inline constexpr int32_t kReservoirPadding = 32;

// The 8 kHz output stage over a full-rate decoder (see decoder.h).
struct EightKhzState {
  bool initialised = false;
  EightKhzOutput kind = EightKhzOutput::Linear16;
  int32_t step = 8;        // read-position advance per output sample, in eighths of a sample
  int32_t position = 0;    // next read position in eighths, 0 = the last sample of the previous frame
  int16_t last = 0;        // that sample
  DecoderInfo info{};
  uint8_t decoded[1152 * 2];  // one frame of the underlying decoder, 16-bit one channel
};

// The integer variant's synthesis history for one channel: the last 16 vectors V in Q24.
struct FixedSynthState {
  int32_t v[16][64];
  int32_t newest;
};

struct DecoderState;
// Decodes one frame of the stream's layer (see DecoderVariant::Decode).
using FrameDecoder = FrameResult (*)(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output);

// Everything one stream's decoding keeps between frames, plus the scratch of one frame, so
// that nothing is allocated per frame. Each Decoder owns one (see decoder.h).
struct DecoderState {
  bool initialised = false;
  FrameDecoder decode_frame = nullptr;  // chosen by the layer at Init
  MpegHeader stream{};          // header of the first frame given to Init
  int32_t framebytes = 0;       // length of free-format frames without padding
  DecoderInfo info{};
  int32_t reduction = 0;        // output rate divided by 2^reduction
  int32_t subbands = 32;        // subbands decoded, the rest are silent
  ChannelConversion conversion = kKeepChannels;
  bool eight_bit = false;
  EightKhzState eight_khz;

  // Layer III bit reservoir: the main data of earlier frames followed by this frame's.
  uint8_t reservoir[kMaxMainDataBegin + kMaxMainDataBytes + kReservoirPadding];
  int32_t reservoir_bytes = 0;

  alignas(32) float overlap[2][32][18];
  SynthState synth[2];

  // Per-frame scratch.
  alignas(32) float spectrum[2][576];
  alignas(32) float reordered[576];
  alignas(32) float subband_samples[2][32][kSlotStride];  // padding stays zero
  alignas(32) float pcm[2][kGranuleSlots][32];
  alignas(32) float l12_samples[2][32][36];  // Layers I and II: [channel][subband][slot]
  // The integer variant: subband samples in Q28 (full scale 1 = 2^28) and its synthesis history.
  int32_t l12_fixed_samples[2][32][36];
  FixedSynthState fixed_synth[2];
};

// The length with its padding slot of the frame at `input`, whose header is decoded into
// `header`; 0 when that is not a frame of the stream given to Init (the frame routine is
// chosen by the stream's layer, so the layer is checked too) or it does not fit in `available`.
int32_t stream_frame_length(const DecoderState& state, const uint8_t* input, int32_t available, MpegHeader& header);

}  // namespace sonvarek::mpegdec::detail
