#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace sonvarek {

// The numbers of the program's messages. Their list belongs to the application
// (core/window_messages.h); this layer only carries them.
enum class Message : uint32_t;

// Data that a message hands over whole. The receiver holds its own reference, so
// nothing it reads can be freed by the sender meanwhile.
struct MessagePayload {
  virtual ~MessagePayload() = default;
};

// One message: its number, two integers, a text the receiver owns once it arrives,
// and an optional payload for values larger than a text (a batch's end).
struct WindowMessage {
  WindowMessage() = default;
  WindowMessage(Message id, int64_t wParam, int64_t lParam, std::string text = {},
                std::shared_ptr<const MessagePayload> payload = {})
      : id(id), wParam(wParam), lParam(lParam), text(std::move(text)), payload(std::move(payload)) {}

  Message id{};
  int64_t wParam = 0;
  int64_t lParam = 0;
  std::string text;
  std::shared_ptr<const MessagePayload> payload;
};

// How workers talk to windows. `Post` returns at once; `Send` returns once the
// receiver has handled the message. Implementations must be callable from any thread.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Post(WindowMessage message) = 0;
  virtual void Send(WindowMessage message) = 0;
};

}  // namespace sonvarek
