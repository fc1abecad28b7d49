// The holder listens on a local socket: a window system such as X11 or
// Wayland lets no program raise another's window, but a program may raise its own.
// The socket lies in a folder that only this user may enter: in a shared one
// (/tmp) another user could take its name first and answer in the holder's place.
#include "platform/ForegroundRequest.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ForegroundRequest {

namespace {

constexpr int kPatienceMs = 2000;
const QByteArray kDone = "front\n";
// A socket's whole path has room for about 100 bytes, and the drafts folder
// (in Chinese, under the home folder) takes most of it: short names, then;
// this much of the key tells a user's few held files apart.
constexpr qsizetype kNameLength = 12;
const QString kFolderUnderDrafts = QStringLiteral("front");

// A folder of this user's that no one else may enter or list, and no link.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 0777) == 0700;
}

// Makes the folder a private one (see above) where it can; false where it is not.
bool makePrivateFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid())
        ::chmod(path.constData(), 0700);
    return isPrivateFolder(path);
}

// The system's runtime folder of the user when it is what it should be, or
// one under the drafts folder; empty when neither can be had.
QString socketFolder(const QString &drafts)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime) && makePrivateFolder(runtime + "/csr-survey"))
        return QFile::decodeName(runtime + "/csr-survey");
    if (!drafts.isEmpty() && makePrivateFolder(QFile::encodeName(QDir(drafts).filePath(kFolderUnderDrafts))))
        return QDir(drafts).filePath(kFolderUnderDrafts);
    return {};
}

QString socketName(const QString &drafts, const QString &key)
{
    const QString folder = socketFolder(drafts);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(key.left(kNameLength));
}

} // namespace

struct Listener::Private {
    QLocalServer server;
};

Listener::Listener(const QString &drafts, const QString &key, std::function<void()> toFront)
    : d_(std::make_unique<Private>())
{
    // Only the lock's holder listens under its name: a socket of the same
    // name is what a killed holder left.
    const QString name = socketName(drafts, key);
    if (name.isEmpty())
        return;
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

bool ask(qint64, const QString &drafts, const QString &key)
{
    const QString name = socketName(drafts, key);
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kPatienceMs))
        return false;
    while (socket.bytesAvailable() < kDone.size())
        if (!socket.waitForReadyRead(kPatienceMs))
            return false;
    return socket.readAll() == kDone;
}

} // namespace ForegroundRequest
