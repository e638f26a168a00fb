#include "core/window_messages.h"
#include "platform/manual_reset_event.h"

#include <gtest/gtest.h>
#include <thread>

#include "platform/recording_message_sink.h"

namespace sonvarek {
namespace {

using namespace std::chrono_literals;

TEST(ManualResetEvent, StaysSetUntilReset) {
  ManualResetEvent event;
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.WaitFor(0ms));
  event.Set();
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.IsSet());  // polling does not consume it
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_TRUE(ManualResetEvent(true).IsSet());
}

TEST(ManualResetEvent, WakesAWaiterOnAnotherThread) {
  ManualResetEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    event.Set();
  });
  EXPECT_TRUE(event.WaitFor(5s));
  setter.join();
}

TEST(RecordingMessageSink, KeepsOrderKindAndOwnedTexts) {
  RecordingMessageSink sink;
  std::thread worker([&] {
    std::string name = "track";
    sink.Post({Message::JobPhase, 0, 0, name});
    name = "changed after posting";
    sink.Send({Message::BatchSucceeded, 1, 0, {}});
  });
  ASSERT_TRUE(sink.WaitFor(Message::BatchSucceeded, 5s));
  worker.join();
  auto entries = sink.Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].message.id, Message::JobPhase);
  EXPECT_EQ(entries[0].message.text, "track");
  EXPECT_FALSE(entries[0].sent);
  EXPECT_TRUE(entries[1].sent);
  EXPECT_EQ(static_cast<uint32_t>(Message::BatchFailed), 0x46Du);
  EXPECT_EQ(sink.MessagesWithId(Message::JobPhase).size(), 1u);
}

}  // namespace
}  // namespace sonvarek
