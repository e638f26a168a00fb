#pragma once

#include <memory>
#include <string>
#include <vector>

#include "jobs/conversion_batch.h"
#include "jobs/mp3_encoder_library.h"
#include "platform/recording_message_sink.h"
#include "support/log_line.h"
#include "support/temp_folder.h"

namespace sonvarek::test {

// The program's encoder library, loaded once for all tests of a run.
inline const Mp3EncoderLibrary& LoadedEncoderLibrary() {
  static Mp3EncoderLibrary library;
  static const bool loaded = library.LoadEncoder(0);
  EXPECT_TRUE(loaded) << library.LastError();
  return library;
}

// A batch of one job with recording windows and an output folder under `temp`.
struct Mp3TestBatch {
  Mp3TestBatch(const TempFolder& temp, ConversionJob job) {
    batch.progressWindow = &progress;
    batch.mainWindow = &main;
    batch.jobs.push_back(std::move(job));
    batch.settings.effectiveOutputFolder = temp.Path() + "out/";
    std::filesystem::create_directories(batch.settings.effectiveOutputFolder);
  }
  // The log lines without their time stamps.
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const WindowMessage& m : main.MessagesWithId(Message::LogLine)) lines.push_back(AfterTimeStamp(m.text));
    return lines;
  }
  std::vector<int64_t> Progress() const {
    std::vector<int64_t> values;
    for (const WindowMessage& m : progress.MessagesWithId(Message::EncodeProgress)) values.push_back(m.wParam);
    return values;
  }

  RecordingMessageSink progress;
  RecordingMessageSink main;
  ConversionBatch batch;
};

}  // namespace sonvarek::test
