#pragma once

#include <cstdint>
#include <memory>

#include "mpegdec/mpeg_header.h"

namespace sonvarek::mpegdec {

namespace detail {
struct DecoderState;
}

// Init's option codes keep the numbers callers pass; these name them where code decides by them.

// reduction_code: the output rate is the stream's divided by 2^code.
enum RateReduction : int32_t { kFullRate = 0, kHalfRate = 1, kQuarterRate = 2 };

// convert_code bits 0-1: what a two-channel stream becomes.
enum ChannelConversion : int32_t { kKeepChannels = 0, kMixChannels = 1, kLeftChannel = 2, kRightChannel = 3 };
inline constexpr int32_t kConvertChannelMask = 3;
// convert_code bit 3: 8-bit unsigned output instead of 16-bit signed.
inline constexpr int32_t kConvertEightBit = 8;
// The 8 kHz variant's output kinds, convert_code >> kEightKhzOutputShift (see DecoderTable).
enum class EightKhzOutput : int32_t { Linear16 = 1, Linear8 = 2, MuLaw = 3 };
inline constexpr int32_t kEightKhzOutputShift = 2;

// freq_limit at the highest Nyquist frequency of any stream: every subband the cap allows.
inline constexpr int32_t kFullBandLimit = 24000;

// DecoderInfo::type.
enum SampleType : int32_t { kLinearSamples = 0, kMuLawSamples = 10 };

// What a variant reports after a successful Init.
struct DecoderInfo {
  int32_t channels = 0;    // 1 or 2
  int32_t outvalues = 0;   // sample values per frame, all channels together
  int32_t samprate = 0;    // output sampling rate in Hz
  int32_t bits = 0;        // 8 (unsigned, zero level 128) or 16 (signed little-endian)
  int32_t framebytes = 0;  // the frame length given to Init
  int32_t type = 0;        // a SampleType: mu-law from the 8 kHz variant only
};

// in_bytes: bytes of input the frame took (header to the end of its padding slot); 0 or less
// means the frame was refused and the output is undefined. out_bytes: bytes of PCM written.
struct FrameResult {
  int32_t in_bytes = 0;
  int32_t out_bytes = 0;
};

// One stream's decoder: the bit reservoir, the overlap and synthesis history and one frame's
// scratch, kept on the heap (tens of kilobytes). The variants work on the object they are
// given, so two objects decode two streams side by side without sharing anything; an object
// serves one stream at a time (each Init starts a new one) and one thread at a time.
class Decoder {
 public:
  Decoder();
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  detail::DecoderState& state() { return *state_; }
  const detail::DecoderState& state() const { return *state_; }

 private:
  const std::unique_ptr<detail::DecoderState> state_;
};

// One decoder variant: three operations on a Decoder, which the variant's Init prepares. A
// Decoder initialised by one variant is decoded by that variant; Init by another starts over.
//
// Init(decoder, header, framebytes, reduction_code, transform_code, convert_code, freq_limit)
//   Prepares for the stream whose first frame has `header`; `framebytes` is what ParseHeader
//   returned for it. Returns 1, or 0 for a stream the variant does not decode (the state is
//   then uninitialised and Decode refuses every frame). Tables are built on the first call;
//   every call clears the reservoir, the overlap and the synthesis history.
//   reduction_code: 0 full, 1 half, 2 quarter output rate (below 0 counts as 0, above 2 as 2).
//   transform_code: accepted, unused.
//   convert_code: bits 0-1 for a two-channel stream: 0 keep both, 1 mix to one, 2 left only,
//     3 right only; bit 3 (8) selects 8-bit unsigned output instead of 16-bit signed.
//   freq_limit: highest frequency worth decoding in Hz (below 1000 counts as 1000); it caps
//     the subbands decoded at (S/2 + 64 * freq_limit) / S, and never more than 31, 15 or 8
//     for reduction 0, 1, 2.
// Info(decoder, info)
//   Fills `info` and returns 1 after a successful Init; otherwise zeroes it and returns 0.
// Decode(decoder, input, available, output)
//   Decodes the frame whose header is at `input`, with `available` bytes readable from it,
//   into `output`, which must hold `outvalues` samples of `bits` bits. The frame length comes
//   from the frame's own header (the Init length for free format), so variable bit rate
//   streams are stepped correctly. A frame is refused (in_bytes 0) when its header is missing
//   or differs from the stream's in sync, id, layer or sampling rate, when it does not fit in
//   `available`, or when its main data would exceed 8192 bytes. A frame whose main data lies
//   before the data received so far decodes to silence. Frames may change channel mode; the
//   output keeps the channel count of Info (a single-channel frame in a two-channel stream is
//   written to both channels, a two-channel frame in a single-channel output is converted as
//   `convert_code` says, mixing when it says to keep both). Nothing outside `input`
//   [0, available) and `output` [0, outvalues samples) is ever read or written.
struct DecoderVariant {
  int32_t (*Init)(Decoder& decoder, const MpegHeader& header, int32_t framebytes, int32_t reduction_code,
                  int32_t transform_code, int32_t convert_code, int32_t freq_limit);
  int32_t (*Info)(const Decoder& decoder, DecoderInfo& info);
  FrameResult (*Decode)(Decoder& decoder, const uint8_t* input, int32_t available, uint8_t* output);
};

// [arithmetic][output]: row 0 floating point, 1 integer; column 0 full rate, 1 8 kHz.
// [0][0] decodes Layers I, II and III. [1][0] decodes Layers I and II in fixed point only (no
// floating point per frame), within one LSB of [0][0], and refuses Layer III at Init.
// The 8 kHz column ([0][1] and [1][1] are the same operations) runs the floating-point decoder
// at a quarter (MPEG-1) or half (MPEG-2) rate with a 3200 Hz limit and one channel (convert_code
// & 3, with 0 meaning mix), and resamples to 8000 Hz by linear interpolation in eighths of a
// sample, carrying the last sample of a frame into the next. Init ignores reduction_code and
// freq_limit and refuses MPEG-2.5. The output kind is convert_code >> 2 when convert_code is 4
// or more and that is below 4, else 1 below 4 and 3 from 16: 1 16-bit signed, 2 8-bit unsigned
// (sample >> 8, plus 128), 3 8-bit mu-law (sample >> 3 through the table). Info reports 8000 Hz,
// one channel, bits 16 or 8, type 10 for mu-law, and as outvalues the most samples one frame
// gives; Decode's out_bytes tells how many a frame gave. A refused frame is passed on as it is.
extern const DecoderVariant DecoderTable[2][2];

// DecoderTable's rows and columns.
enum class Arithmetic { Float = 0, Integer = 1 };
enum class OutputRate { Full = 0, EightKhz = 1 };
const DecoderVariant& DecoderVariantFor(Arithmetic arithmetic, OutputRate rate);

// The cell for the caller's three settings: row = integer_flag & 1; column 1 when the 8 kHz
// flag is set and convert_code is 4 or more, else 0.
const DecoderVariant& ChooseDecoderVariant(int32_t integer_flag, int32_t eight_khz_flag, int32_t convert_code);

// Largest output of one frame in bytes (1152 two-channel 16-bit samples).
inline constexpr int32_t kMaxFrameOutputBytes = 1152 * 2 * 2;

}  // namespace sonvarek::mpegdec
