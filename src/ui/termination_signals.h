#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace sonvarek {

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in the terminal that started the
// program) end the program as its Exit command does: the window closes, and with it
// the disc's texts and the settings are saved and the desktop's auto-play comes back.
class TerminationSignals final : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~TerminationSignals() override;

 private:
  std::function<void()> onSignal_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace sonvarek
