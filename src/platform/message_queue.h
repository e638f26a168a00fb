#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/message_sink.h"

namespace sonvarek {

// A window's side of the message sink: workers Post and Send from their threads, and
// the window's own thread takes the messages in order with Deliver. Closing the
// window closes the queue: a Send waiting for its turn returns at once, later Posts
// and Sends return at once, and what is still queued is dropped. So a window that
// closes while a worker is in a blocking send never deadlocks, and a worker never
// waits for a window that is gone. Messages own everything they carry.
class MessageQueue final : public MessageSink {
 public:
  using Handler = std::function<void(const WindowMessage& message)>;

  MessageQueue() = default;
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;
  ~MessageQueue() override { Close(); }

  void Post(WindowMessage message) override;
  // Returns once the window's thread has handled the message, or the queue closed.
  void Send(WindowMessage message) override;

  // On the window's thread: waits at most `timeout` for a message, then hands every
  // queued message to `handler` in order. False once the queue is closed.
  bool Deliver(const Handler& handler, std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
  void Close();

 private:
  struct Entry {
    WindowMessage message;
    uint64_t number = 0;
  };

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Entry> queue_;
  uint64_t queued_ = 0;     // messages ever queued
  uint64_t delivered_ = 0;  // of those, handled (in order)
  bool closed_ = false;
};

}  // namespace sonvarek
