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

// The layouts other writers give a "fmt " chunk.
enum class FmtChunk { Pcm16, Pcm18, ExtensiblePcm, ExtensibleFloat };

inline std::string Le(uint32_t value, int bytes) {
  std::string text;
  for (int i = 0; i < bytes; ++i) text += static_cast<char>((value >> (8 * i)) & 0xFF);
  return text;
}

inline std::string Chunk(const std::string& id, const std::string& body) {
  return id + Le(static_cast<uint32_t>(body.size()), 4) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

// A RIFF/WAVE file of 16-bit stereo 44100 Hz `samples` bytes, with `before` chunks
// between "fmt " and "data" and `after` bytes (more chunks) after the data.
inline std::string ChunkedWav(FmtChunk kind, const std::string& samples, const std::string& before = "",
                              const std::string& after = "") {
  std::string fmt = Le(kind == FmtChunk::Pcm16 || kind == FmtChunk::Pcm18 ? 1 : 0xFFFE, 2) + Le(2, 2) +
                    Le(44100, 4) + Le(176400, 4) + Le(4, 2) + Le(16, 2);
  if (kind == FmtChunk::Pcm18) fmt += Le(0, 2);
  if (kind == FmtChunk::ExtensiblePcm || kind == FmtChunk::ExtensibleFloat) {
    fmt += Le(22, 2) + Le(16, 2) + Le(3, 4) + Le(kind == FmtChunk::ExtensiblePcm ? 1 : 3, 2) +
           std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  std::string body = "WAVE" + Chunk("fmt ", fmt) + before + Chunk("data", samples) + after;
  return "RIFF" + Le(static_cast<uint32_t>(body.size()), 4) + body;
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
