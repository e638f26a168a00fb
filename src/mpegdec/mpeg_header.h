#pragma once

#include <cstdint>

namespace sonvarek::mpegdec {

// The header's layer code (field `option`) as the stream carries it.
enum LayerCode : int32_t { kLayerReserved = 0, kLayerIII = 1, kLayerII = 2, kLayerI = 3 };

// The header's channel mode (field `mode`) as the stream carries it.
enum ChannelMode : int32_t { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kSingleChannel = 3 };

// The four-byte MPEG audio frame header, field by field as coded.
struct MpegHeader {
  int32_t sync = 0;         // 1: 12-bit sync 0xFFF; 2: 11-bit sync 0xFFE (MPEG-2.5); 0: none
  int32_t id = 0;           // 1 MPEG-1, 0 MPEG-2 and MPEG-2.5
  int32_t option = 0;       // a LayerCode
  int32_t prot = 0;         // 0: a 16-bit CRC follows the header
  int32_t br_index = 0;     // 0 free format, 15 forbidden
  int32_t sr_index = 0;     // 3 reserved
  int32_t pad = 0;
  int32_t private_bit = 0;
  int32_t mode = 0;         // a ChannelMode
  int32_t mode_ext = 0;
  int32_t cr = 0;
  int32_t original = 0;
  int32_t emphasis = 0;
};

// Largest byte count the header functions look at; larger `n` are treated as this.
inline constexpr int32_t kHeaderSearchWindow = 10000;

// Parses the header at `buffer` (`n` bytes readable from it; more than 10000 count as 10000)
// into `header`, which is cleared first. Returns the frame length in bytes without the
// padding slot, or 0 when there is no usable header: fewer than 4 bytes, no sync, the
// reserved layer, the reserved sampling rate, the forbidden bit rate, the reserved version
// code (11-bit sync with id 1), or a free-format stream whose length is not found.
// Free format (bit-rate index 0): from offset 24 on, the first offset below 2000 and inside
// the window (n - 3 bytes) whose two bytes equal the first header's gives a candidate length
// (that offset less the first frame's padding); it is accepted when frames of that length
// (plus each one's own padding) keep starting with those two bytes up to the end of the
// window, with at least one more frame start inside it; otherwise the search goes on one
// byte further.
// After a 0 the fields are unspecified, except that sync is 0 when the sync word was missing.
int32_t ParseHeader(const uint8_t* buffer, int32_t n, MpegHeader& header);

// As ParseHeader; also stores the bit rate in bits per second into `bitrate` (0 when the
// result is 0). For free format the rate is computed back from the frame length found.
int32_t ParseHeaderWithBitrate(const uint8_t* buffer, int32_t n, MpegHeader& header, int32_t& bitrate);

// Helpers shared by the decoder. All assume a header that ParseHeader accepted.
int32_t HeaderBitrateKbps(const MpegHeader& header);    // 0 for free format
int32_t HeaderSampleRate(const MpegHeader& header);     // in Hz, MPEG-2.5 already halved
int32_t HeaderSlotBytes(const MpegHeader& header);      // 4 for Layer I, else 1
int32_t HeaderChannels(const MpegHeader& header);       // 1 for single channel, else 2
int32_t HeaderLayer3SideInfoBytes(const MpegHeader& header);  // MPEG-1: 17 or 32; MPEG-2: 9 or 17
// Frame length without padding from the bit-rate table; 0 for free format.
int32_t HeaderTableFrameLength(const MpegHeader& header);
// Decodes the four bytes at `bytes` without any length search; false when no usable header.
bool DecodeHeaderFields(const uint8_t* bytes, MpegHeader& header);
// Whether two headers belong to one stream: the same sync, id, layer and sampling rate.
bool SameStream(const MpegHeader& a, const MpegHeader& b);

}  // namespace sonvarek::mpegdec
