#include "mpegdec/mpeg_header.h"

#include <algorithm>

namespace sonvarek::mpegdec {
namespace {

// Bit rates in kbit/s by [id][layer code - 1][br_index]; layer code 1 is Layer III.
constexpr int16_t kBitrates[2][3][16] = {
    {
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    },
    {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    },
};
constexpr int32_t kSampleRates[2][4] = {{22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};
// Sampling rate divided by 50, for the frame-length arithmetic.
constexpr int32_t kRateOver50[2][4] = {{441, 480, 320, -999}, {882, 960, 640, -999}};

constexpr int32_t kFreeFormatFirstOffset = 24;
constexpr int32_t kFreeFormatGiveUp = 2000;

int32_t hdr_pad_bytes(const uint8_t* frame, int32_t slot) { return ((frame[2] >> 1) & 1) * slot; }

// True when every frame from `pos` on, stepped by `length` plus its own padding, starts with
// the first header's two bytes up to the end of the window; at least one step must fit.
bool hdr_free_format_length_holds(const uint8_t* buffer, int32_t window, int32_t pos, int32_t length, int32_t slot) {
  pos += length + hdr_pad_bytes(buffer + pos, slot);
  if (pos >= window) return false;
  while (pos < window) {
    if (buffer[pos] != buffer[0] || buffer[pos + 1] != buffer[1]) return false;
    pos += length + hdr_pad_bytes(buffer + pos, slot);
  }
  return true;
}

int32_t hdr_free_format_length(const uint8_t* buffer, int32_t n, const MpegHeader& header) {
  const int32_t slot = HeaderSlotBytes(header);
  const int32_t first_pad = header.pad * slot;
  const int32_t window = n - 3;
  const int32_t search_end = std::min(window, kFreeFormatGiveUp);
  for (int32_t offset = kFreeFormatFirstOffset; offset < search_end; ++offset) {
    if (buffer[offset] != buffer[0] || buffer[offset + 1] != buffer[1]) continue;
    const int32_t candidate = offset - first_pad;
    if (candidate < 1) return 0;
    if (hdr_free_format_length_holds(buffer, window, offset, candidate, slot)) return candidate;
  }
  return 0;
}

}  // namespace

bool DecodeHeaderFields(const uint8_t* b, MpegHeader& h) {
  h = MpegHeader{};
  if (b[0] != 0xFF) return false;
  const int high = b[1] >> 4;
  if (high != 0xF && high != 0xE) return false;
  h.sync = high == 0xF ? 1 : 2;
  h.id = (b[1] >> 3) & 1;
  h.option = (b[1] >> 1) & 3;
  h.prot = b[1] & 1;
  h.br_index = b[2] >> 4;
  h.sr_index = (b[2] >> 2) & 3;
  h.pad = (b[2] >> 1) & 1;
  h.private_bit = b[2] & 1;
  h.mode = b[3] >> 6;
  h.mode_ext = (b[3] >> 4) & 3;
  h.cr = (b[3] >> 3) & 1;
  h.original = (b[3] >> 2) & 1;
  h.emphasis = b[3] & 3;
  // Version code 01 (11-bit sync with id 1) is reserved; index 3 has no sampling rate.
  return h.option != kLayerReserved && h.br_index != 15 && h.sr_index != 3 && !(h.sync == 2 && h.id == 1);
}

bool SameStream(const MpegHeader& a, const MpegHeader& b) {
  return a.sync == b.sync && a.id == b.id && a.option == b.option && a.sr_index == b.sr_index;
}

int32_t HeaderBitrateKbps(const MpegHeader& h) {
  if (h.option < kLayerIII || h.option > kLayerI) return 0;
  return kBitrates[h.id & 1][h.option - 1][h.br_index & 15];
}

int32_t HeaderSampleRate(const MpegHeader& h) {
  const int32_t rate = kSampleRates[h.id & 1][h.sr_index & 3];
  return h.sync == 2 ? rate / 2 : rate;
}

int32_t HeaderSlotBytes(const MpegHeader& h) { return h.option == kLayerI ? 4 : 1; }

int32_t HeaderChannels(const MpegHeader& h) { return h.mode == kSingleChannel ? 1 : 2; }

int32_t HeaderLayer3SideInfoBytes(const MpegHeader& h) {
  const bool single = h.mode == kSingleChannel;
  return h.id == 1 ? (single ? 17 : 32) : (single ? 9 : 17);
}

int32_t HeaderTableFrameLength(const MpegHeader& h) {
  const int32_t rate = kRateOver50[h.id & 1][h.sr_index & 3];
  const int32_t kbps = HeaderBitrateKbps(h);
  if (kbps == 0 || rate <= 0) return 0;
  switch (h.option) {
    case kLayerI: return 4 * (240 * kbps / rate);
    case kLayerII: return 2880 * kbps / rate;
    case kLayerIII: return (h.id == 0 && h.sync == 1 ? 1440 : 2880) * kbps / rate;
    default: return 0;
  }
}

int32_t ParseHeader(const uint8_t* buffer, int32_t n, MpegHeader& header) {
  header = MpegHeader{};
  n = std::min(n, kHeaderSearchWindow);
  if (buffer == nullptr || n < 4) return 0;
  if (!DecodeHeaderFields(buffer, header)) return 0;
  if (header.br_index != 0) return HeaderTableFrameLength(header);
  return hdr_free_format_length(buffer, n, header);
}

int32_t ParseHeaderWithBitrate(const uint8_t* buffer, int32_t n, MpegHeader& header, int32_t& bitrate) {
  bitrate = 0;
  const int32_t length = ParseHeader(buffer, n, header);
  if (length == 0) return 0;
  if (header.br_index != 0) {
    bitrate = HeaderBitrateKbps(header) * 1000;
    return length;
  }
  const int64_t rate = kRateOver50[header.id][header.sr_index];
  int64_t divisor = 2880;
  if (header.option == kLayerI) divisor = 960;
  else if (header.option == kLayerIII && header.id == 0 && header.sync == 1) divisor = 1440;
  bitrate = static_cast<int32_t>(rate * length * 1000 / divisor);
  return length;
}

}  // namespace sonvarek::mpegdec
