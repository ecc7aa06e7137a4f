#include "InstanceBeacon.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace zevo::ui {

InstanceBeacon::InstanceBeacon(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = server_->nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            caller->disconnectFromServer();
        }
        if (window_) {
            window_->setWindowState((window_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            window_->show();
            window_->raise();
            window_->activateWindow();
        }
        emit raised();
    });
}

QString InstanceBeacon::socketPath(const QString& lockPath) {
    return lockPath + QStringLiteral(".socket");
}

bool InstanceBeacon::callRunning(const QString& lockPath) {
    QLocalSocket socket;
    socket.connectToServer(socketPath(lockPath));
    if (!socket.waitForConnected(1000)) return false;
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

bool InstanceBeacon::listen(const QString& lockPath, QWidget* window) {
    window_ = window;
    // We hold the lock, so a socket file left there belongs to a crashed instance.
    QLocalServer::removeServer(socketPath(lockPath));
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    return server_->listen(socketPath(lockPath));
}

}  // namespace zevo::ui
