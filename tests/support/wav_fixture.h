#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/wav_file.h"
#include "support/temp_folder.h"

namespace sonvarek::test {

// A canonical WAV file with these 16-bit samples (interleaved) and format.
inline void WriteWav(const std::string& path, const std::vector<int16_t>& samples, uint16_t channels = 2,
                     uint32_t rate = 44100) {
  WavHeader header = CdWavHeader(static_cast<uint32_t>(samples.size() * 2));
  header.channels = channels;
  header.samplesPerSecond = rate;
  header.bytesPerSecond = rate * channels * 2;
  header.blockAlign = static_cast<uint16_t>(channels * 2);
  auto bytes = SerializeWavHeader(header);
  std::string data(bytes.begin(), bytes.end());
  for (int16_t sample : samples) {
    auto value = static_cast<uint16_t>(sample);
    data += static_cast<char>(value & 0xFF);
    data += static_cast<char>(value >> 8);
  }
  WriteWholeFile(path, data);
}

// The 16-bit samples after the 44-byte header.
inline std::vector<int16_t> ReadWavSamples(const std::string& path) {
  std::string data = ReadWholeFile(path);
  std::vector<int16_t> samples;
  for (size_t i = 44; i + 1 < data.size(); i += 2) {
    samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint8_t>(data[i]) |
                                                                 (static_cast<uint8_t>(data[i + 1]) << 8))));
  }
  return samples;
}

}  // namespace sonvarek::test
