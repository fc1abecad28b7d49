// The holder listens on a local socket: a window system such as X11 or
// Wayland lets no program raise another's window, but a program may raise its own.
#include "platform/ForegroundRequest.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace ForegroundRequest {

namespace {

constexpr int kPatienceMs = 2000;
const QByteArray kDone = "front\n";

QString socketName(const QString &key)
{
    return QStringLiteral("csr-survey-") + key;
}

} // namespace

struct Listener::Private {
    QLocalServer server;
};

Listener::Listener(const QString &key, std::function<void()> toFront) : d_(std::make_unique<Private>())
{
    // Only the lock's holder listens under its name: a socket of the same
    // name is what a killed holder left.
    const QString name = socketName(key);
    QLocalServer::removeServer(name);
    d_->server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!d_->server.listen(name))
        return;
    QLocalServer *server = &d_->server;
    connect(server, &QLocalServer::newConnection, this, [server, toFront = std::move(toFront)] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            toFront();
            socket->write(kDone);
            socket->disconnectFromServer(); // once what was written has gone
        }
    });
}

Listener::~Listener() = default;

bool ask(qint64, const QString &key)
{
    QLocalSocket socket;
    socket.connectToServer(socketName(key));
    if (!socket.waitForConnected(kPatienceMs))
        return false;
    while (socket.bytesAvailable() < kDone.size())
        if (!socket.waitForReadyRead(kPatienceMs))
            return false;
    return socket.readAll() == kDone;
}

} // namespace ForegroundRequest
