#include "jobs/job_log.h"

#include <gtest/gtest.h>
#include <thread>

#include "jobs/log_formats.h"
#include "platform/recording_message_sink.h"
#include "support/log_line.h"

namespace sonvarek {
namespace {

TEST(JobLog, KeepsLinesInOrderUntilCleared) {
  JobLog log;
  log.Append("first");
  log.Append("second\n");
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"first", "second\n"}));
  log.Clear();
  EXPECT_TRUE(log.Lines().empty());
  log.Append("after");
  EXPECT_EQ(log.Size(), 1u);
}

TEST(JobLog, LinesCarryTheTimeStampInTheirOwnBrackets) {
  EXPECT_TRUE(test::HasTimeStamp("(" + LogTimeStamp() + ")", '(')) << LogTimeStamp();
  std::string round = FormatLogLine(logformat::kExtracting, std::string("Track 1"));
  EXPECT_TRUE(test::HasTimeStamp(round, '(')) << round;
  EXPECT_EQ(test::AfterTimeStamp(round), " Extracting Track 1 ...");
  std::string square = FormatLogLine(logformat::kWavCantRead, std::string("/a.wav"));
  EXPECT_TRUE(test::HasTimeStamp(square, '[')) << square;
  EXPECT_EQ(test::AfterTimeStamp(square), " Error: Can't read file /a.wav!");
  std::string system = FormatLogLine(logformat::kErrorSystem, std::string("No space left on device"));
  EXPECT_EQ(system.substr(21), " Error: No space left on device!\n");
}

TEST(JobLog, WorkersAppendThroughTheSinkInSendingOrder) {
  JobLog log;
  RecordingMessageSink sink([&log](const WindowMessage& message) {
    if (message.id == Message::LogLine) log.Append(message.text);
  });
  std::thread worker([&sink] {
    for (int i = 0; i < 50; ++i) SendLogLine(sink, "line " + std::to_string(i));
  });
  worker.join();
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 50u);
  EXPECT_EQ(lines.front(), "line 0");
  EXPECT_EQ(lines.back(), "line 49");
  EXPECT_TRUE(sink.Entries().front().sent);
}

}  // namespace
}  // namespace sonvarek
