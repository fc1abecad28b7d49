// The command line of csr-serve.
#pragma once

#include "serve/http/Limits.h"

#include <QString>
#include <QStringList>

namespace Serve {

struct Options {
    QString data;         // the data folder
    QString database;     // empty for SQLite in the data folder
    QByteArray host = "127.0.0.1";
    quint16 port = 8080;
    Limits limits;
    QStringList command;  // "codes add NAME|list|revoke CODE", "collectors add NAME|list|revoke NAME"; empty to serve
    QString error;        // why the command line is wrong
    bool help = false;

    static Options parse(const QStringList &arguments);
    static QString usage();
};

} // namespace Serve
