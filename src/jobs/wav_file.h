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

// The canonical 44-byte RIFF/WAVE header, fields at fixed offsets, little-endian:
// the form every WAV file we write has. Readers walk the chunks instead (OpenWavForReader)
// and fill the same record from the "fmt " and "data" chunks they find.
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

// Who reads a WAV file decides what it accepts. Every reader takes 16-bit PCM only
// (format tag 1, or WAVE_FORMAT_EXTENSIBLE with the PCM sub-format).
enum class WavReader {
  Mp3Encoder,  // one or two channels, any rate
  OggEncoder,  // 44100 Hz, stereo
  Normalizer,  // 44100 Hz, stereo; reads only (the result goes to a new file)
  Scaler,      // any PCM layout (the file was just written by us); opened to rewrite in place
};

enum class WavOpenStatus { Ok, CantOpen, NotRegular, CantRead, Unsupported };

// An opened WAV file positioned at the first sample, or the reason it was not
// accepted together with the reader's own log line for it. The samples are the
// "data" chunk's, wherever it lies: "RIFF"/"WAVE" is checked and the chunks are
// walked to "fmt " and "data" (LIST, fact and other chunks are skipped). A data
// size larger than the file holds is cut to what the file holds.
struct OpenedWav {
  WavOpenStatus status = WavOpenStatus::CantOpen;
  File file;
  WavHeader header;
  uint64_t dataOffset = 0;  // of the first sample
  uint64_t dataSize = 0;
  std::string logLine;  // empty when Ok
};

OpenedWav OpenWavForReader(WavReader reader, const std::string& path);

// The most sample bytes a WAV file we write may hold: with its 44-byte header it
// stays within the 4 GiB that the header's 32-bit sizes can describe.
inline constexpr uint64_t kMaxWavDataBytes = 0x100000000ull - kWavHeaderSize;

// A new empty temporary WAV file "PWxxxxxx" in `temporaryFolder`; its path, or
// nothing when it could not be made.
std::optional<std::string> CreateTemporaryWavFile(std::string_view temporaryFolder);

}  // namespace sonvarek
