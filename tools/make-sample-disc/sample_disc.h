#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvarek::sample {

// One track of the sample disc and the sectors it covers in the BIN file.
struct SampleTrack {
  std::string title;
  bool data = false;
  uint32_t sectors = 0;
  uint32_t pregapSectors = 0;  // INDEX 00 pregap held in the file, part of `sectors`
};

// The sample disc: five audio tracks of 4 to 59 seconds (1 min 50 s in all): a chord,
// a short two-tone track, a track framed by seconds of digital silence (with an INDEX
// 00 pregap), a long track and a clipped one reaching −32768; with `dataTrack` a final
// MODE1/2352 track. Everything is computed from fixed seeds, so every run writes the
// same bytes.
std::vector<SampleTrack> SampleLayout(bool dataTrack);

// The BIN file's bytes of one track: sectors × 2352 bytes.
std::vector<uint8_t> RenderTrack(const std::vector<SampleTrack>& layout, size_t index);

// The CUE sheet naming `binName`.
std::string CueSheetText(const std::vector<SampleTrack>& layout, const std::string& binName);

}  // namespace sonvarek::sample
