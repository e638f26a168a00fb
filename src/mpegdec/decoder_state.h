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

// How the decoded channels become output channels.
enum class ChannelConversion { Keep, Mix, Left, Right };

struct DecoderState;
// Decodes one frame of the stream's layer (see DecoderVariant::Decode).
using FrameDecoder = FrameResult (*)(DecoderState& state, const uint8_t* input, int32_t available, uint8_t* output);

// Everything one stream's decoding keeps between frames, plus the scratch of one frame, so
// that nothing is allocated per frame. One instance serves the module (see decoder.h).
struct DecoderState {
  bool initialised = false;
  FrameDecoder decode_frame = nullptr;  // chosen by the layer at Init
  MpegHeader stream{};          // header of the first frame given to Init
  int32_t framebytes = 0;       // length of free-format frames without padding
  DecoderInfo info{};
  int32_t reduction = 0;        // output rate divided by 2^reduction
  int32_t subbands = 32;        // subbands decoded, the rest are silent
  ChannelConversion conversion = ChannelConversion::Keep;
  bool eight_bit = false;

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
};

DecoderState& State();

}  // namespace sonvarek::mpegdec::detail
