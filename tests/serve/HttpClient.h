// A plain HTTP/1.1 client over a socket, for the server's tests and bench:
// it can send what a browser never would (a false length, a body cut short,
// one byte a second) and from another loopback address.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

namespace HttpClient {

struct Call {
    QByteArray method = "GET";
    QByteArray path = "/";
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    qint64 length = -1;   // Content-Length sent, when not the body's
    QByteArray from;      // the local address to send from, when not the default
};

struct Reply {
    int status = 0; // 0 when no answer came
    QByteArray head;
    QByteArray body;
    qint64 sentNs = 0;     // when the last byte was sent (steady clock)
    qint64 answeredNs = 0; // when the answer was read whole

    QByteArray header(const QByteArray &name) const;
};

// A connection to 127.0.0.1:port, from `from` when given; -1 when refused.
int connectTo(quint16 port, const QByteArray &from = {});
// The request's head (request line and headers, Connection: close), to the
// port's server as a browser names it.
QByteArray head(const Call &call, quint16 port = 0);
// Sends the call on a new connection and reads the answer (until the server closes).
Reply send(quint16 port, const Call &call, int timeoutMs = 20000);
// Reads an answer from a connection, then closes it.
Reply receive(int socket, int timeoutMs);

} // namespace HttpClient
