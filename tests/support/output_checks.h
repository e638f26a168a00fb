#pragma once

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "jobs/wav_file.h"
#include "support/temp_folder.h"

namespace sonvarek::test {

// The data of a whole CD-audio WAV file: its header's sizes agree with the file's
// size. Nothing for a missing, cut or otherwise inconsistent file.
inline std::optional<std::string> WholeWavData(const std::string& path) {
  std::string file = ReadWholeFile(path);
  if (file.size() < kWavHeaderSize) return std::nullopt;
  std::array<uint8_t, kWavHeaderSize> bytes{};
  std::memcpy(bytes.data(), file.data(), bytes.size());
  WavHeader header = ParseWavHeader(bytes);
  if (std::string(header.riff.data(), 4) != "RIFF" || std::string(header.wave.data(), 4) != "WAVE") return std::nullopt;
  if (header.riffSize != file.size() - 8 || header.dataSize != file.size() - kWavHeaderSize) return std::nullopt;
  if (header.channels != 2 || header.bitsPerSample != 16 || header.samplesPerSecond != 44100) return std::nullopt;
  return file.substr(kWavHeaderSize);
}

// Whether `name` is the hidden file in which a save to `finalName` is staged
// (".NAME.XXXXXX"), or the copy an ID3v2 tag writer makes of that one
// (".NAME.XXXXXX.XXXXXX"): leftovers of a killed save, never final files.
inline bool IsStagingNameOf(const std::string& name, const std::string& finalName) {
  const std::string stem = "." + finalName;
  if (name.compare(0, stem.size(), stem) != 0) return false;
  const std::string suffixes = name.substr(stem.size());
  if (suffixes.size() != 7 && suffixes.size() != 14) return false;
  for (size_t i = 0; i < suffixes.size(); ++i) {
    bool dot = i % 7 == 0;
    if (dot ? suffixes[i] != '.' : !std::isalnum(static_cast<unsigned char>(suffixes[i]))) return false;
  }
  return true;
}

}  // namespace sonvarek::test
