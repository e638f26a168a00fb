#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace sonvarek::test {

inline constexpr uint32_t kRawSectorBytes = 2352;

// Raw audio sectors whose every 4-byte word (one stereo sample) is the sector's own
// address, so the data of a ripped file shows which sectors it holds.
inline std::string AddressedSectors(uint32_t first, uint32_t end) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(end - first) * kRawSectorBytes);
  for (uint32_t sector = first; sector < end; ++sector) {
    for (uint32_t word = 0; word < kRawSectorBytes / 4; ++word) {
      for (int b = 0; b < 4; ++b) bytes += static_cast<char>(sector >> (8 * b));
    }
  }
  return bytes;
}

// Writes folder/disc.cue and folder/disc.bin, a disc of audio tracks of the given
// lengths (sectors) one after the other from sector 0, and returns the sheet's
// path. The BIN holds AddressedSectors, or is left sparse (digital silence) when
// `addressed` is false.
inline std::string WriteDiscImage(const std::string& folder, const std::vector<uint32_t>& lengths,
                                  bool addressed = true) {
  std::string cue = "FILE \"disc.bin\" BINARY\n";
  uint32_t sector = 0;
  for (size_t t = 0; t < lengths.size(); ++t) {
    char track[64];
    std::snprintf(track, sizeof track, "  TRACK %02zu AUDIO\n    INDEX 01 %02u:%02u:%02u\n", t + 1, sector / 4500,
                  sector / 75 % 60, sector % 75);
    cue += track;
    sector += lengths[t];
  }
  const std::string bin = folder + "/disc.bin";
  if (addressed) {
    WriteWholeFile(bin, AddressedSectors(0, sector));
  } else {
    WriteWholeFile(bin, "");
    std::filesystem::resize_file(bin, static_cast<uintmax_t>(sector) * kRawSectorBytes);
  }
  WriteWholeFile(folder + "/disc.cue", cue);
  return folder + "/disc.cue";
}

}  // namespace sonvarek::test
