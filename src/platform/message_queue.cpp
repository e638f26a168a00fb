#include "platform/message_queue.h"

#include <utility>

namespace sonvarek {

void MessageQueue::Post(WindowMessage message) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  queue_.push_back({std::move(message), ++queued_});
  changed_.notify_all();
}

void MessageQueue::Send(WindowMessage message) {
  std::unique_lock lock(mutex_);
  if (closed_) return;
  const uint64_t number = ++queued_;
  queue_.push_back({std::move(message), number});
  changed_.notify_all();
  changed_.wait(lock, [&] { return closed_ || delivered_ >= number; });
}

bool MessageQueue::Deliver(const Handler& handler, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [this] { return closed_ || !queue_.empty(); });
  while (!closed_ && !queue_.empty()) {
    Entry entry = std::move(queue_.front());
    queue_.pop_front();
    // The handler runs unlocked: it may post to this queue or close it.
    lock.unlock();
    handler(entry.message);
    lock.lock();
    delivered_ = entry.number;
    changed_.notify_all();
  }
  return !closed_;
}

void MessageQueue::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  queue_.clear();
  changed_.notify_all();
}

}  // namespace sonvarek
