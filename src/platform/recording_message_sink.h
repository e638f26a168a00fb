#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/message_sink.h"

namespace sonvarek {

// Keeps every message in arrival order, for tests and for front ends that only
// need the sequence. Posted and sent messages are handled alike; `onMessage`, when
// given, runs for each message on the calling thread before the call returns.
class RecordingMessageSink final : public MessageSink {
 public:
  struct Entry {
    WindowMessage message;
    bool sent = false;
  };

  RecordingMessageSink() = default;
  explicit RecordingMessageSink(std::function<void(const WindowMessage&)> onMessage)
      : onMessage_(std::move(onMessage)) {}

  void Post(WindowMessage message) override { Record(std::move(message), false); }
  void Send(WindowMessage message) override { Record(std::move(message), true); }

  std::vector<Entry> Entries() const;
  std::vector<WindowMessage> Messages() const;
  std::vector<WindowMessage> MessagesWithId(Message id) const;
  // Blocks until a message with this id has arrived or the time-out passed.
  bool WaitFor(Message id, std::chrono::milliseconds timeout) const;

 private:
  void Record(WindowMessage message, bool sent);

  std::function<void(const WindowMessage&)> onMessage_;
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<Entry> entries_;
};

}  // namespace sonvarek
