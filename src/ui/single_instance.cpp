#include "ui/single_instance.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <unistd.h>

namespace sonvarek {
namespace {

constexpr char kRaiseRequest[] = "raise\n";

}  // namespace

QString SingleInstance::NameFor(const QString& programFolder) {
  QByteArray hash = QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return QString("sonvarek-maker-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), name_(NameFor(programFolder)) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().startsWith("raise") && raise_) raise_();
        socket->disconnectFromServer();
      });
    }
  });
}

bool SingleInstance::AskRunningInstance() {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(500)) return false;
  socket.write(kRaiseRequest);
  socket.waitForBytesWritten(500);
  socket.waitForDisconnected(500);
  return true;
}

bool SingleInstance::Listen(std::function<void()> raise) {
  raise_ = std::move(raise);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(name_)) return true;
  // A socket left by a program that was killed: nobody answered on it, so it is stale.
  QLocalServer::removeServer(name_);
  return server_.listen(name_);
}

}  // namespace sonvarek
