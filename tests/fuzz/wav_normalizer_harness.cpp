// A WAV file of any bytes, normalized in place.
#include "fuzz_files.h"
#include "fuzz_harness.h"
#include "jobs/wav_file.h"
#include "jobs/wav_normalizer.h"
#include "platform/recording_message_sink.h"

namespace sonvarek::fuzz {

namespace {

// The peak of the samples of an accepted file.
int32_t PeakOf(const std::string& path) {
  OpenedWav wav = OpenWavForReader(WavReader::Normalizer, path);
  FUZZ_CHECK(wav.status == WavOpenStatus::Ok);
  std::string samples(wav.dataSize, '\0');
  FUZZ_CHECK(wav.file.Read(samples.data(), samples.size()) == static_cast<int64_t>(samples.size()));
  PeakMeter meter;
  meter.Add(reinterpret_cast<const uint8_t*>(samples.data()), samples.size() & ~size_t{1});
  return meter.Peak();
}

}  // namespace

void FuzzWavNormalizer(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("normalize.wav", data, size);
  RecordingMessageSink window;
  RecordingMessageSink main;
  ConversionBatch batch;
  batch.kind = BatchKind::Normalize;
  batch.progressWindow = &window;
  batch.mainWindow = &main;
  batch.jobs.push_back(MakeFileJob(path));
  // The ratio from the file's last byte: any of the settings' 1..100.
  batch.settings.NormalizeRatio = size > 0 ? 1 + data[size - 1] % 100 : 95;

  const bool accepted = OpenWavForReader(WavReader::Normalizer, path).status == WavOpenStatus::Ok;
  const int32_t peakBefore = accepted ? PeakOf(path) : 0;
  const int result = NormalizeWavFile(path, batch);
  const std::string after = ReadWholeFile(path);
  FUZZ_CHECK(!batch.cancelled);
  if (result == 0) {
    // A refused file is left as it was, byte for byte, and the log says why.
    FUZZ_CHECK(after == std::string(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(!main.MessagesWithId(Message::LogLine).empty());
    return;
  }
  FUZZ_CHECK(result == 1 && accepted);
  // The loudest sample now stands at the ratio of full scale (a silent file stays silent).
  const int32_t peakAfter = PeakOf(path);
  if (peakBefore == 0) {
    FUZZ_CHECK(peakAfter == 0);
  } else {
    const double target = batch.settings.NormalizeRatio * 32767.0 / 100.0;
    FUZZ_CHECK(peakAfter >= target - 1.5 && peakAfter <= target + 1.5);
  }
}

}  // namespace sonvarek::fuzz
