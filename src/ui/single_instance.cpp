#include "ui/single_instance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <unistd.h>

namespace sonvarek {
namespace {

constexpr char kRaiseLine[] = "raise";

}  // namespace

QString SingleInstance::NameFor(const QString& programFolder) {
  QByteArray hash = QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return QString("sonvarek-maker-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), name_(NameFor(programFolder)) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      // The whole message is there once the caller hangs up.
      connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        QStringList lines = QString::fromUtf8(socket->readAll()).split('\n', Qt::SkipEmptyParts);
        socket->deleteLater();
        if (lines.isEmpty() || lines.takeFirst() != kRaiseLine || !raise_) return;
        raise_(lines);
      });
    }
  });
}

bool SingleInstance::AskRunningInstance(const QStringList& requests) {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(500)) return false;
  QByteArray message = QByteArray(kRaiseLine) + '\n';
  for (const QString& request : requests) message += request.toUtf8() + '\n';
  socket.write(message);
  socket.waitForBytesWritten(2000);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(2000);
  return true;
}

bool SingleInstance::Listen(std::function<void(const QStringList&)> raise) {
  raise_ = std::move(raise);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(name_)) return true;
  // A socket left by a program that was killed: nobody answered on it, so it is stale.
  QLocalServer::removeServer(name_);
  return server_.listen(name_);
}

}  // namespace sonvarek
