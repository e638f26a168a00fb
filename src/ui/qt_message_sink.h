#pragma once

#include <functional>
#include <memory>

#include "platform/message_sink.h"

namespace sonvarek {

// A window's end of the workers' messages. Post queues the message to the
// user-interface thread; Send returns once the handler has run there (a direct call
// when the sender is that thread). After Close the handler is never called again, so
// a worker that outlives its window only ever reaches a closed sink. Make, close and
// destroy it on the user-interface thread; Post and Send from any thread.
class QtMessageSink final : public MessageSink {
 public:
  using Handler = std::function<void(const WindowMessage&)>;

  explicit QtMessageSink(Handler handler);
  ~QtMessageSink() override { Close(); }
  QtMessageSink(const QtMessageSink&) = delete;
  QtMessageSink& operator=(const QtMessageSink&) = delete;

  void Post(WindowMessage message) override;
  void Send(WindowMessage message) override;
  void Close();

 private:
  struct Receiver;
  std::shared_ptr<Receiver> receiver_;
};

}  // namespace sonvarek
