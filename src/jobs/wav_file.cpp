#include "jobs/wav_file.h"

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

bool Accepts(WavReader reader, const WavHeader& header) {
  switch (reader) {
    case WavReader::Mp3Encoder: return header.bitsPerSample == 16;
    case WavReader::OggEncoder:
    case WavReader::Normalizer:
      return header.samplesPerSecond == 44100 && header.bitsPerSample == 16 && header.channels == 2;
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
  File file = File::Open(path, IsEncoder(reader) ? File::Mode::Read : File::Mode::ReadWrite);
  if (!file.IsOpen()) {
    const char* format = IsEncoder(reader) ? logformat::kErrorCantOpenFile : logformat::kWavCantOpen;
    return Refused(WavOpenStatus::CantOpen, FormatLogLine(format, path));
  }
  std::array<uint8_t, kWavHeaderSize> bytes{};
  if (file.Read(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) {
    return Refused(WavOpenStatus::CantRead, FormatLogLine(logformat::kWavCantRead, path));
  }
  WavHeader header = ParseWavHeader(bytes);
  if (!Accepts(reader, header)) {
    return Refused(WavOpenStatus::Unsupported, FormatLogLine(logformat::kWavUnsupported, path));
  }
  OpenedWav result;
  result.status = WavOpenStatus::Ok;
  result.header = header;
  if (IsEncoder(reader)) {
    std::optional<int64_t> size = file.Size();
    result.dataSize = size ? static_cast<uint64_t>(*size) - kWavHeaderSize : 0;
  } else {
    result.dataSize = header.dataSize;
  }
  result.file = std::move(file);
  return result;
}

std::optional<std::string> CreateTemporaryWavFile(std::string_view temporaryFolder) {
  return CreateUniqueTemporaryFile(temporaryFolder, "PW");
}

}  // namespace sonvarek
