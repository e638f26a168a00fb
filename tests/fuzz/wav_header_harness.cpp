// A WAV file of any bytes, opened by each of its readers.
#include <algorithm>
#include <array>
#include <cstring>

#include "fuzz_files.h"
#include "fuzz_harness.h"
#include "jobs/wav_file.h"

namespace sonvarek::fuzz {

void FuzzWavHeader(const uint8_t* data, size_t size) {
  if (size >= kWavHeaderSize) {
    std::array<uint8_t, kWavHeaderSize> bytes{};
    std::memcpy(bytes.data(), data, kWavHeaderSize);
    FUZZ_CHECK(SerializeWavHeader(ParseWavHeader(bytes)) == bytes);
  }

  const std::string path = WriteScratchFile("header.wav", data, size);
  for (WavReader reader : {WavReader::Mp3Encoder, WavReader::OggEncoder, WavReader::Normalizer, WavReader::Scaler}) {
    OpenedWav wav = OpenWavForReader(reader, path);
    if (wav.status != WavOpenStatus::Ok) {
      FUZZ_CHECK(!wav.logLine.empty());
      continue;
    }
    FUZZ_CHECK(wav.logLine.empty() && wav.file.IsOpen());
    // The samples lie inside the file, after "RIFF" size "WAVE" and the chunk headers.
    FUZZ_CHECK(wav.dataOffset >= 20 && wav.dataOffset <= size && wav.dataSize <= size - wav.dataOffset);
    FUZZ_CHECK(wav.header.bitsPerSample == 16);
    if (reader == WavReader::Mp3Encoder) FUZZ_CHECK(wav.header.channels == 1 || wav.header.channels == 2);
    if (reader == WavReader::OggEncoder || reader == WavReader::Normalizer)
      FUZZ_CHECK(wav.header.channels == 2 && wav.header.samplesPerSecond == 44100);
    // The file stands at the first sample.
    std::array<uint8_t, 4> first{};
    const int64_t got = wav.file.Read(first.data(), first.size());
    FUZZ_CHECK(got == static_cast<int64_t>(std::min<uint64_t>(4, size - wav.dataOffset)));
    FUZZ_CHECK(std::equal(first.begin(), first.begin() + got, data + wav.dataOffset));
  }
}

}  // namespace sonvarek::fuzz
