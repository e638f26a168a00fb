// A WAV file of any bytes encoded to MP3 through the program's encoder library.
#include <filesystem>

#include "fuzz_files.h"
#include "fuzz_harness.h"
#include "jobs/mp3_encoder_library.h"
#include "jobs/mp3_encoder.h"
#include "platform/recording_message_sink.h"

namespace sonvarek::fuzz {

namespace {

const Mp3EncoderLibrary& EncoderLibrary() {
  static Mp3EncoderLibrary library;
  static const bool loaded = library.LoadEncoder(0);
  FUZZ_CHECK(loaded);
  return library;
}

}  // namespace

void FuzzMp3Encoding(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("encode.wav", data, size);
  const std::string output = ScratchFolder() + "mp3/";
  std::filesystem::create_directories(output);
  EmptyFolder(output);

  RecordingMessageSink window;
  RecordingMessageSink main;
  ConversionBatch batch;
  batch.kind = BatchKind::EncodeMp3;
  batch.progressWindow = &window;
  batch.mainWindow = &main;
  batch.jobs.push_back(MakeFileJob(path));
  batch.settings.effectiveOutputFolder = output;
  // The last byte picks the encoder settings: VBR, the tags, the mode, the bit rate.
  const uint8_t choice = size > 0 ? data[size - 1] : 0;
  batch.settings.EnableVBR = choice & 1;
  batch.settings.EnableID3 = (choice >> 1) & 1;
  batch.settings.EnableID3V2 = (choice >> 2) & 1;
  batch.settings.StereoMode = (choice >> 3) & 3;
  batch.settings.BitRate = choice >> 5;

  const int result = EncodeMp3(batch, &EncoderLibrary());
  FUZZ_CHECK(!batch.cancelled);
  if (result == 0) {
    FUZZ_CHECK(!main.MessagesWithId(Message::LogLine).empty());
    return;
  }
  FUZZ_CHECK(result == 1);
  // One MP3 file, with at least a frame or a tag in it.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(output)) {
    ++files;
    FUZZ_CHECK(entry.path().string() == batch.jobs[0].outputPath && entry.file_size() > 0);
  }
  FUZZ_CHECK(files == 1);
}

}  // namespace sonvarek::fuzz
