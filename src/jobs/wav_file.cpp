#include "jobs/wav_file.h"

#include <algorithm>
#include <cstring>

#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "platform/folders.h"

namespace sonvarek {
namespace {

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Write16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Write32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
std::array<char, 4> Tag(const uint8_t* p) { return {char(p[0]), char(p[1]), char(p[2]), char(p[3])}; }
std::array<char, 4> Tag(const char (&text)[5]) { return {text[0], text[1], text[2], text[3]}; }

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// KSDATAFORMAT_SUBTYPE_PCM after its first two bytes (which hold the format tag 1).
constexpr uint8_t kPcmSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint32_t kMaxFormatChunk = 40;

bool Accepts(WavReader reader, const WavHeader& header) {
  if (header.bitsPerSample != 16 || header.channels == 0) return false;
  switch (reader) {
    case WavReader::Mp3Encoder: return header.channels <= 2;
    case WavReader::OggEncoder:
    case WavReader::Normalizer: return header.samplesPerSecond == 44100 && header.channels == 2;
    case WavReader::Scaler: return true;
  }
  return false;
}

bool IsEncoder(WavReader reader) { return reader == WavReader::Mp3Encoder || reader == WavReader::OggEncoder; }

OpenedWav Refused(WavOpenStatus status, std::string line) {
  OpenedWav result;
  result.status = status;
  result.logLine = std::move(line);
  return result;
}

// Fills the format fields from a "fmt " chunk's body; false when it is not PCM.
bool ReadFormatChunk(const uint8_t* body, uint32_t size, WavHeader& header) {
  if (size < 16) return false;
  header.formatSize = size;
  header.formatTag = Read16(&body[0]);
  header.channels = Read16(&body[2]);
  header.samplesPerSecond = Read32(&body[4]);
  header.bytesPerSecond = Read32(&body[8]);
  header.blockAlign = Read16(&body[12]);
  header.bitsPerSample = Read16(&body[14]);
  if (header.formatTag == kFormatPcm) return true;
  if (header.formatTag != kFormatExtensible || size < kMaxFormatChunk) return false;
  // cbSize 22, then valid bits, channel mask and the sub-format GUID.
  const uint16_t validBits = Read16(&body[18]);
  const bool pcm = Read16(&body[24]) == kFormatPcm && std::memcmp(&body[26], kPcmSubFormatTail, 14) == 0;
  return pcm && Read16(&body[16]) >= 22 && validBits == header.bitsPerSample;
}

enum class ChunkWalk { Found, Short, NotWave };

// Walks the chunks from byte 12 to the "fmt " chunk and then the "data" chunk.
ChunkWalk FindSamples(File& file, uint64_t fileSize, WavHeader& header, uint64_t& dataOffset, uint64_t& dataSize) {
  bool haveFormat = false;
  uint64_t position = 12;
  while (position + 8 <= fileSize) {
    uint8_t chunk[8];
    if (!file.Seek(static_cast<int64_t>(position)) || file.Read(chunk, 8) != 8) return ChunkWalk::Short;
    const uint32_t size = Read32(&chunk[4]);
    const uint64_t body = position + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t format[kMaxFormatChunk] = {};
      const uint32_t wanted = std::min(size, kMaxFormatChunk);
      if (file.Read(format, wanted) != static_cast<int64_t>(wanted)) return ChunkWalk::Short;
      if (haveFormat || !ReadFormatChunk(format, size, header)) return ChunkWalk::NotWave;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return ChunkWalk::NotWave;
      header.data = Tag(chunk);
      header.dataSize = size;
      dataOffset = body;
      dataSize = std::min<uint64_t>(size, fileSize - body);
      return file.Seek(static_cast<int64_t>(body)) ? ChunkWalk::Found : ChunkWalk::Short;
    }
    position = body + size + (size & 1);  // chunks are padded to an even length
  }
  return haveFormat ? ChunkWalk::NotWave : ChunkWalk::Short;
}

}  // namespace

WavHeader ParseWavHeader(const std::array<uint8_t, kWavHeaderSize>& b) {
  WavHeader h;
  h.riff = Tag(&b[0]);
  h.riffSize = Read32(&b[4]);
  h.wave = Tag(&b[8]);
  h.fmt = Tag(&b[12]);
  h.formatSize = Read32(&b[16]);
  h.formatTag = Read16(&b[20]);
  h.channels = Read16(&b[22]);
  h.samplesPerSecond = Read32(&b[24]);
  h.bytesPerSecond = Read32(&b[28]);
  h.blockAlign = Read16(&b[32]);
  h.bitsPerSample = Read16(&b[34]);
  h.data = Tag(&b[36]);
  h.dataSize = Read32(&b[40]);
  return h;
}

std::array<uint8_t, kWavHeaderSize> SerializeWavHeader(const WavHeader& h) {
  std::array<uint8_t, kWavHeaderSize> b{};
  std::memcpy(&b[0], h.riff.data(), 4);
  Write32(&b[4], h.riffSize);
  std::memcpy(&b[8], h.wave.data(), 4);
  std::memcpy(&b[12], h.fmt.data(), 4);
  Write32(&b[16], h.formatSize);
  Write16(&b[20], h.formatTag);
  Write16(&b[22], h.channels);
  Write32(&b[24], h.samplesPerSecond);
  Write32(&b[28], h.bytesPerSecond);
  Write16(&b[32], h.blockAlign);
  Write16(&b[34], h.bitsPerSample);
  std::memcpy(&b[36], h.data.data(), 4);
  Write32(&b[40], h.dataSize);
  return b;
}

WavHeader CdWavHeader(uint32_t dataSize) {
  WavHeader h;
  h.riff = Tag("RIFF");
  h.riffSize = dataSize + 36;
  h.wave = Tag("WAVE");
  h.fmt = Tag("fmt ");
  h.formatSize = 16;
  h.formatTag = 1;
  h.channels = 2;
  h.samplesPerSecond = 44100;
  h.bytesPerSecond = 176400;
  h.blockAlign = 4;
  h.bitsPerSample = 16;
  h.data = Tag("data");
  h.dataSize = dataSize;
  return h;
}

bool WriteCdWavHeader(File& file, uint32_t dataSize) {
  std::array<uint8_t, kWavHeaderSize> bytes = SerializeWavHeader(CdWavHeader(dataSize));
  return file.Seek(0) && file.WriteAll(bytes.data(), bytes.size());
}

OpenedWav OpenWavForReader(WavReader reader, const std::string& path) {
  File file = File::Open(path, reader == WavReader::Scaler ? File::Mode::ReadWrite : File::Mode::Read);
  if (file.NotRegular()) return Refused(WavOpenStatus::NotRegular, FormatLogLine(logformat::kWavNotRegular, path));
  if (!file.IsOpen()) {
    const char* format = IsEncoder(reader) ? logformat::kErrorCantOpenFile : logformat::kWavCantOpen;
    return Refused(WavOpenStatus::CantOpen, FormatLogLine(format, path));
  }
  std::optional<int64_t> fileSize = file.Size();
  uint8_t riff[12];
  if (!fileSize || file.Read(riff, sizeof riff) != static_cast<int64_t>(sizeof riff)) {
    return Refused(WavOpenStatus::CantRead, FormatLogLine(logformat::kWavCantRead, path));
  }
  // The encoders cannot read a file too short for even the canonical header, whatever
  // its first bytes look like.
  if (IsEncoder(reader) && static_cast<uint64_t>(*fileSize) < kWavHeaderSize) {
    return Refused(WavOpenStatus::CantRead, FormatLogLine(logformat::kWavCantRead, path));
  }
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(&riff[8], "WAVE", 4) != 0) {
    return Refused(WavOpenStatus::Unsupported, FormatLogLine(logformat::kWavUnsupported, path));
  }
  OpenedWav result;
  result.header.riff = Tag(&riff[0]);
  result.header.riffSize = Read32(&riff[4]);
  result.header.wave = Tag(&riff[8]);
  result.header.fmt = Tag("fmt ");
  ChunkWalk walk = FindSamples(file, static_cast<uint64_t>(*fileSize), result.header, result.dataOffset,
                               result.dataSize);
  if (walk == ChunkWalk::Short) return Refused(WavOpenStatus::CantRead, FormatLogLine(logformat::kWavCantRead, path));
  if (walk == ChunkWalk::NotWave || !Accepts(reader, result.header)) {
    return Refused(WavOpenStatus::Unsupported, FormatLogLine(logformat::kWavUnsupported, path));
  }
  result.status = WavOpenStatus::Ok;
  result.file = std::move(file);
  return result;
}

std::optional<std::string> CreateTemporaryWavFile(std::string_view temporaryFolder) {
  return CreateUniqueTemporaryFile(temporaryFolder, "PW");
}

}  // namespace sonvarek
