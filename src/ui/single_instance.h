#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace sonvarek {

// One desktop program per program folder: a second start asks the first to come to
// the front, hands over what it was asked to do, and ends. The name is the folder's,
// so separate homes run side by side.
class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);

  // The local socket's name of the program folder's instance.
  static QString NameFor(const QString& programFolder);

  // True when another instance was reached and asked to come to the front and to
  // carry out `requests` (lines without line breaks).
  bool AskRunningInstance(const QStringList& requests = {});
  // Listens for later starts; `raise` runs on each with its requests.
  bool Listen(std::function<void(const QStringList& requests)> raise);

 private:
  QString name_;
  QLocalServer server_;
  std::function<void(const QStringList&)> raise_;
};

}  // namespace sonvarek
