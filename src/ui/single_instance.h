#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

namespace sonvarek {

// One desktop program per program folder: a second start asks the first to come to
// the front and ends. The name is the folder's, so separate homes run side by side.
class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);

  // The local socket's name of the program folder's instance.
  static QString NameFor(const QString& programFolder);

  // True when another instance was reached and asked to come to the front.
  bool AskRunningInstance();
  // Listens for later starts; `raise` runs on each.
  bool Listen(std::function<void()> raise);

 private:
  QString name_;
  QLocalServer server_;
  std::function<void()> raise_;
};

}  // namespace sonvarek
