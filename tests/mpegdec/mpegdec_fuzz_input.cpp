#include "mpegdec_fuzz_input.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "mpegdec/decoder.h"

namespace sonvarek::mpegdec::test {

void FuzzDecodeInput(const uint8_t* data, size_t size) {
  if (size < 2) return;
  const uint8_t options = data[0];
  // Second byte: the variant (bits 0-1: row, column) and, for the 8 kHz column, its
  // convert_code (bits 2-7).
  const uint8_t variant = data[1];
  data += 2;
  size -= 2;
  const int32_t reduction = options & 3;
  const Arithmetic arithmetic = (variant & 1) != 0 ? Arithmetic::Integer : Arithmetic::Float;
  const OutputRate rate = ((variant >> 1) & 1) != 0 ? OutputRate::EightKhz : OutputRate::Full;
  const int32_t full_rate_convert = ((options >> 2) & 3) | ((options & 0x10) ? kConvertEightBit : 0);
  const int32_t convert = rate == OutputRate::EightKhz ? variant >> 2 : full_rate_convert;
  constexpr int32_t kLimits[4] = {-5, 1000, 8000, INT32_MAX};
  const int32_t freq_limit = (options & 0x20) ? kFullBandLimit : kLimits[options >> 6];
  const auto bounded = [&](size_t at) { return static_cast<int32_t>(std::min<size_t>(size - at, 1 << 20)); };

  MpegHeader header;
  int32_t bitrate = 0;
  ParseHeaderWithBitrate(data, bounded(0), header, bitrate);

  const DecoderVariant& chosen = DecoderVariantFor(arithmetic, rate);
  Decoder decoder;
  size_t at = 0;
  bool initialised = false;
  for (; at + 4 <= size && at < 64 && !initialised; ++at) {
    const int32_t length = ParseHeader(data + at, bounded(at), header);
    initialised = length > 0 && chosen.Init(decoder, header, length, reduction, 0, convert, freq_limit) == 1;
  }
  if (!initialised) return;
  --at;
  DecoderInfo info;
  chosen.Info(decoder, info);
  std::vector<uint8_t> output(static_cast<size_t>(info.outvalues) * static_cast<size_t>(info.bits / 8));
  for (int steps = 0; at + 4 <= size && steps < 4096; ++steps) {
    const FrameResult frame = chosen.Decode(decoder, data + at, bounded(at), output.data());
    if (frame.out_bytes < 0 || static_cast<size_t>(frame.out_bytes) > output.size()) __builtin_trap();
    at += frame.in_bytes > 0 ? static_cast<size_t>(frame.in_bytes) : 1;
  }
}

}  // namespace sonvarek::mpegdec::test
