#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace lumenda::ui {
namespace {

constexpr int kTimeoutMs = 1000;
// The message a later start sends (the number the first copies of the
// program posted to their main window).
constexpr char kActivate[] = "5120\n";

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        socket->readAll();
        emit activationRequested();
      });
    }
  });
}

QString SingleInstance::ServerName() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty() || !QDir(runtime).exists()) return QStringLiteral("MiLumenda");
  return runtime + QStringLiteral("/MiLumenda");
}

bool SingleInstance::SignalRunningCopy(const QString& name) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(kTimeoutMs)) return false;
  socket.write(kActivate);
  socket.waitForBytesWritten(kTimeoutMs);
  socket.disconnectFromServer();
  return true;
}

bool SingleInstance::Listen(const QString& name) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(name)) return true;
  if (server_.serverError() != QAbstractSocket::AddressInUseError) return false;
  // Nobody answered before we got here, so the socket file is a leftover.
  if (SignalRunningCopy(name)) return false;
  QLocalServer::removeServer(name);
  return server_.listen(name);
}

}  // namespace lumenda::ui
