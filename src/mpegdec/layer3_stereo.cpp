// Joint stereo of one granule: mid/side and intensity stereo (MPEG-1 and MPEG-2 positions).
#include <algorithm>

#include "mpegdec/layer3.h"

namespace sonvarek::mpegdec::detail {
namespace {

constexpr float kInvSqrt2 = 0.70710678118654752f;

// One band of coded lines for the stereo stage.
struct StereoBand {
  uint16_t start;
  uint16_t end;
  uint8_t position;  // intensity position from the right channel's scale factor
  uint8_t illegal;   // the position that means "no intensity stereo here"
  bool intensity;
};

int l3_stereo_bands(const GranuleInfo& gi, const Scalefactors& right_sf, const BandTable& bands, int long_bands_mixed,
                    StereoBand* out) {
  int n = 0;
  l3_for_each_band(
      gi, bands, long_bands_mixed,
      [&](int sfb) {
        const int source = std::min(sfb, 20);
        out[n++] = {bands.long_start[sfb], bands.long_start[sfb + 1], right_sf.l[source], right_sf.illegal_l[source], false};
      },
      [&](int sfb, int w, int start, int width) {
        const int source = std::min(sfb, 11);
        out[n++] = {static_cast<uint16_t>(start), static_cast<uint16_t>(start + width), right_sf.s[source][w],
                    right_sf.illegal_s[source], false};
      });
  return n;
}

bool l3_band_silent(const float* right, const StereoBand& band) {
  for (int i = band.start; i < band.end; ++i)
    if (right[i] != 0.0f) return false;
  return true;
}

// Marks the bands above the right channel's last non-zero band (per window for short bands)
// as intensity coded, unless their position is the illegal one.
void l3_intensity_bands(const GranuleInfo& gi, const float* right, StereoBand* bands, int count, int long_count) {
  const bool short_blocks = l3_short_blocks(gi);
  const int first_short_band = short_blocks ? (gi.mixed_block ? long_count : 0) : count;
  bool short_part_silent = true;
  for (int w = 0; w < 3; ++w) {
    // Walk each window's bands from the top down until one carries right-channel signal.
    for (int b = count - 3 + w; b >= first_short_band; b -= 3) {
      if (!l3_band_silent(right, bands[b])) {
        short_part_silent = false;
        break;
      }
      bands[b].intensity = true;
    }
  }
  if (!short_part_silent && short_blocks) {
    // Signal in the short part: the long bands of a mixed block stay as they are.
  } else {
    for (int b = first_short_band - 1; b >= 0; --b) {
      if (!l3_band_silent(right, bands[b])) break;
      bands[b].intensity = true;
    }
  }
  // MPEG-1 positions above 7 can be coded but mean nothing; treat them as the illegal one.
  for (int b = 0; b < count; ++b)
    if (bands[b].position >= bands[b].illegal) bands[b].intensity = false;
}

void l3_mid_side(float* left, float* right, int start, int end) {
  for (int i = start; i < end; ++i) {
    const float mid = left[i];
    const float side = right[i];
    left[i] = (mid + side) * kInvSqrt2;
    right[i] = (mid - side) * kInvSqrt2;
  }
}

}  // namespace

void l3_stereo(const DecoderTables& tables, const MpegHeader& header, const GranuleInfo& gi, const GranuleInfo& right_gi,
               const Scalefactors& right_sf, const BandTable& bands, float* left, float* right, int nonzero) {
  const bool mid_side = header.mode_ext & 2;
  const bool intensity = header.mode_ext & 1;
  if (!intensity) {
    if (mid_side) l3_mid_side(left, right, 0, nonzero);
    return;
  }
  StereoBand list[40];
  const int long_count = l3_long_bands_mixed(header);
  const int count = l3_stereo_bands(gi, right_sf, bands, long_count, list);
  l3_intensity_bands(gi, right, list, count, long_count);
  const int scale = right_gi.scalefac_compress & 1;  // MPEG-2 intensity_scale
  for (int b = 0; b < count; ++b) {
    const StereoBand& band = list[b];
    const int end = std::min<int>(band.end, nonzero);
    if (band.start >= end) continue;
    if (!band.intensity) {
      if (mid_side) l3_mid_side(left, right, band.start, end);
      continue;
    }
    const float* k = header.id == 1 ? tables.intensity_mpeg1[band.position] : tables.intensity_mpeg2[scale][band.position & 31];
    for (int i = band.start; i < end; ++i) {
      const float value = left[i];
      left[i] = value * k[0];
      right[i] = value * k[1];
    }
  }
}

}  // namespace sonvarek::mpegdec::detail
