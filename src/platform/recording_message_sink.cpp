#include "platform/recording_message_sink.h"

#include <algorithm>

namespace sonvarek {

void RecordingMessageSink::Record(WindowMessage message, bool sent) {
  if (onMessage_) onMessage_(message);
  {
    std::lock_guard lock(mutex_);
    entries_.push_back({std::move(message), sent});
  }
  arrived_.notify_all();
}

std::vector<RecordingMessageSink::Entry> RecordingMessageSink::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::vector<WindowMessage> RecordingMessageSink::Messages() const {
  std::lock_guard lock(mutex_);
  std::vector<WindowMessage> messages;
  for (const Entry& entry : entries_) messages.push_back(entry.message);
  return messages;
}

std::vector<WindowMessage> RecordingMessageSink::MessagesWithId(Message id) const {
  std::vector<WindowMessage> messages = Messages();
  std::erase_if(messages, [id](const WindowMessage& message) { return message.id != id; });
  return messages;
}

bool RecordingMessageSink::WaitFor(Message id, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, timeout, [&] {
    return std::any_of(entries_.begin(), entries_.end(),
                       [id](const Entry& entry) { return entry.message.id == id; });
  });
}

}  // namespace sonvarek
