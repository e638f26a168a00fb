// An MPEG audio file of any bytes decoded to WAV by the decoding job.
#include <array>
#include <cstring>
#include <filesystem>

#include "fuzz_files.h"
#include "fuzz_harness.h"
#include "jobs/mp3_decoding_step.h"
#include "jobs/wav_file.h"
#include "mpegdec/decoder.h"
#include "platform/recording_message_sink.h"

namespace sonvarek::fuzz {

void FuzzMp3Decoding(const uint8_t* data, size_t size) {
  if (size < 1) return;
  // The first byte picks the decoder variant and its options; the rest is the file.
  const uint8_t options = data[0];
  const std::string input = WriteScratchFile("decode.mp3", data + 1, size - 1);
  const std::string output = ScratchFolder() + "decoded.wav";
  std::filesystem::remove(output);

  RecordingMessageSink window;
  RecordingMessageSink main;
  ConversionBatch batch;
  batch.kind = BatchKind::Decode;
  batch.progressWindow = &window;
  batch.mainWindow = &main;
  batch.jobs.push_back(MakeFileJob(input));
  batch.settings.Normalize = (options >> 7) & 1;
  Mp3DecodingOptions decoding;
  decoding.reduction = options & 3;
  decoding.integer = ((options >> 2) & 1) != 0;
  decoding.eightKhz = ((options >> 3) & 1) != 0;
  // Bits 4-6: the 8 kHz output kind, or the channels and 8-bit output at full rate.
  decoding.convertCode = decoding.eightKhz ? (options >> 4) & 7
                                           : ((options >> 4) & 3) | ((options & 0x40) ? mpegdec::kConvertEightBit : 0);
  decoding.frequencyLimit = decoding.reduction == 3 ? 4000 : 24000;

  const int result = DecodeMp3File(input, output, decoding, batch);
  FUZZ_CHECK(!batch.cancelled);
  if (result == 0) {
    // Every failure leaves no file behind.
    FUZZ_CHECK(!std::filesystem::exists(output));
    return;
  }
  FUZZ_CHECK(result == 1);
  // The WAV file is whole: its header (of 8-bit or 16-bit samples) describes exactly the
  // samples that follow it.
  const std::string wav = ReadWholeFile(output);
  FUZZ_CHECK(wav.size() >= kWavHeaderSize);
  std::array<uint8_t, kWavHeaderSize> bytes{};
  std::memcpy(bytes.data(), wav.data(), kWavHeaderSize);
  const WavHeader header = ParseWavHeader(bytes);
  FUZZ_CHECK(header.dataSize == wav.size() - kWavHeaderSize && header.riffSize == header.dataSize + 36);
  FUZZ_CHECK(header.bitsPerSample == 8 || header.bitsPerSample == 16);
  FUZZ_CHECK(header.channels >= 1 && header.blockAlign == header.channels * header.bitsPerSample / 8);
  FUZZ_CHECK(header.dataSize % header.blockAlign == 0);
}

}  // namespace sonvarek::fuzz
