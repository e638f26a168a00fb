#include "ui/qt_message_sink.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>

namespace sonvarek {

// Shared with every queued delivery, so a delivery that runs after Close finds the
// flag instead of a destroyed window.
struct QtMessageSink::Receiver {
  Handler handler;
  std::atomic<bool> closed{false};

  void Deliver(const WindowMessage& message) {
    if (!closed.load()) handler(message);
  }
};

QtMessageSink::QtMessageSink(Handler handler) : receiver_(std::make_shared<Receiver>()) {
  receiver_->handler = std::move(handler);
}

void QtMessageSink::Post(WindowMessage message) {
  if (receiver_->closed.load()) return;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [receiver = receiver_, message = std::move(message)] { receiver->Deliver(message); },
      Qt::QueuedConnection);
}

void QtMessageSink::Send(WindowMessage message) {
  if (receiver_->closed.load()) return;
  QCoreApplication* application = QCoreApplication::instance();
  if (QThread::currentThread() == application->thread()) {
    receiver_->Deliver(message);
    return;
  }
  QMetaObject::invokeMethod(
      application, [receiver = receiver_, &message] { receiver->Deliver(message); }, Qt::BlockingQueuedConnection);
}

void QtMessageSink::Close() { receiver_->closed.store(true); }

}  // namespace sonvarek
