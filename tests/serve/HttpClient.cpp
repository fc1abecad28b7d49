#include "tests/serve/HttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace HttpClient {

namespace {

qint64 now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool sendAll(int socket, const QByteArray &bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.constData() + at, size_t(bytes.size() - at), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        at += n;
    }
    return true;
}

} // namespace

QByteArray Reply::header(const QByteArray &name) const
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

int connectTo(quint16 port, const QByteArray &from)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (!from.isEmpty()) {
        inet_pton(AF_INET, from.constData(), &address.sin_addr);
        if (::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(s);
            return -1;
        }
    }
    address.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

QByteArray head(const Call &call, quint16 port)
{
    const QByteArray host = port ? "127.0.0.1:" + QByteArray::number(port) : QByteArray("127.0.0.1");
    QByteArray head = call.method + ' ' + call.path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n";
    for (const auto &[name, value] : call.headers)
        head += name + ": " + value + "\r\n";
    const qint64 length = call.length >= 0 ? call.length : call.body.size();
    if (length > 0 || call.method == "POST")
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    return head + "\r\n";
}

Reply send(quint16 port, const Call &call, int timeoutMs)
{
    const int s = connectTo(port, call.from);
    if (s < 0)
        return {};
    // The head and body as one write where they fit: the answer may come
    // before the body is sent (a refusal), so a failed body write is not the end.
    sendAll(s, head(call, port) + call.body);
    const qint64 sent = now();
    Reply reply = receive(s, timeoutMs);
    reply.sentNs = sent;
    return reply;
}

Reply receive(int socket, int timeoutMs)
{
    QByteArray all;
    char buffer[65536];
    const qint64 deadline = now() + qint64(timeoutMs) * 1000000;
    for (;;) {
        pollfd p{socket, POLLIN, 0};
        const int left = int((deadline - now()) / 1000000);
        if (left <= 0 || ::poll(&p, 1, left) <= 0)
            break;
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        all.append(buffer, n);
    }
    ::close(socket);
    Reply reply;
    reply.answeredNs = now();
    const qsizetype end = all.indexOf("\r\n\r\n");
    if (!all.startsWith("HTTP/1.") || end < 0)
        return reply;
    reply.head = all.left(end);
    reply.body = all.mid(end + 4);
    reply.status = all.mid(9, 3).toInt();
    return reply;
}

} // namespace HttpClient
