#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace sonvarek {

inline constexpr size_t kWavHeaderSize = 44;
inline constexpr uint32_t kCdSectorBytes = 2352;

// The canonical 44-byte RIFF/WAVE header, fields at fixed offsets, little-endian.
// Nothing walks RIFF chunks: the samples are taken to start at byte 44.
struct WavHeader {
  std::array<char, 4> riff{};       // 0
  uint32_t riffSize = 0;            // 4
  std::array<char, 4> wave{};       // 8
  std::array<char, 4> fmt{};        // 12
  uint32_t formatSize = 0;          // 16
  uint16_t formatTag = 0;           // 20
  uint16_t channels = 0;            // 22
  uint32_t samplesPerSecond = 0;    // 24
  uint32_t bytesPerSecond = 0;      // 28
  uint16_t blockAlign = 0;          // 32
  uint16_t bitsPerSample = 0;       // 34
  std::array<char, 4> data{};       // 36
  uint32_t dataSize = 0;            // 40
};

WavHeader ParseWavHeader(const std::array<uint8_t, kWavHeaderSize>& bytes);
std::array<uint8_t, kWavHeaderSize> SerializeWavHeader(const WavHeader& header);

// The header of CD audio (44100 Hz, 2 channels, 16 bits) with this data size.
WavHeader CdWavHeader(uint32_t dataSize);

// Moves to the start of the open file and writes the CD header with `dataSize`
// (RIFF size dataSize + 36). Leaves the file position after the header.
bool WriteCdWavHeader(File& file, uint32_t dataSize);

// Who reads a WAV file decides what it accepts and where the data size comes from.
enum class WavReader {
  Mp3Encoder,  // 16 bits, any channels and rate; data size = file size − 44
  OggEncoder,  // 44100 Hz, 16 bits, stereo; data size = file size − 44
  Normalizer,  // 44100 Hz, 16 bits, stereo; data size from the header
  Scaler,      // no format check (the file was just written); data size from the header
};

enum class WavOpenStatus { Ok, CantOpen, CantRead, Unsupported };

// An opened WAV file positioned at byte 44, or the reason it was not accepted
// together with the reader's own log line for it. Normalizer and scaler open the
// file for rewriting in place, the encoders for reading.
struct OpenedWav {
  WavOpenStatus status = WavOpenStatus::CantOpen;
  File file;
  WavHeader header;
  uint64_t dataSize = 0;
  std::string logLine;  // empty when Ok
};

OpenedWav OpenWavForReader(WavReader reader, const std::string& path);

// A new empty temporary WAV file "PWxxxxxx" in `temporaryFolder`; its path, or
// nothing when it could not be made.
std::optional<std::string> CreateTemporaryWavFile(std::string_view temporaryFolder);

}  // namespace sonvarek
