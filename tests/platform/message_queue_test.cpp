#include "platform/message_queue.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

#include "core/window_messages.h"

namespace sonvarek {
namespace {

using namespace std::chrono_literals;

TEST(MessageQueue, DeliversInOrderAndASendReturnsOnceHandled) {
  MessageQueue queue;
  std::vector<int64_t> seen;
  queue.Post({Message::ExtractProgress, 1, 0, {}, {}});
  auto sending = std::async(std::launch::async, [&] { queue.Send({Message::ExtractProgress, 2, 0, {}, {}}); });
  EXPECT_EQ(sending.wait_for(100ms), std::future_status::timeout);  // nobody has handled it yet
  while (seen.size() < 2) {
    ASSERT_TRUE(queue.Deliver([&](const WindowMessage& m) { seen.push_back(m.wParam); }, 1s));
  }
  EXPECT_EQ(sending.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(seen, (std::vector<int64_t>{1, 2}));
}

// A window that goes away while a worker waits in Send must let the worker go.
TEST(MessageQueue, ClosingReleasesAWaitingSenderAndDropsWhatComesLater) {
  MessageQueue queue;
  auto sending = std::async(std::launch::async, [&] { queue.Send({Message::LogLine, 0, 0, "line", {}}); });
  EXPECT_EQ(sending.wait_for(100ms), std::future_status::timeout);
  queue.Close();
  EXPECT_EQ(sending.wait_for(5s), std::future_status::ready);
  queue.Send({Message::LogLine, 0, 0, "after", {}});  // returns at once
  queue.Post({Message::LogLine, 0, 0, "after", {}});
  bool handled = false;
  EXPECT_FALSE(queue.Deliver([&](const WindowMessage&) { handled = true; }));
  EXPECT_FALSE(handled);
}

}  // namespace
}  // namespace sonvarek
