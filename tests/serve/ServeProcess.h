// A real csr-serve process on a free port, with its data folder and database,
// for the server's tests and bench.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

class ServeProcess {
public:
    // database: empty for SQLite in the data folder, else a postgresql:// address.
    ServeProcess(QString program, QString data, QString database, QStringList options = {});
    ~ServeProcess();

    // Starts it and waits until it listens; false (with its output in error()) when it does not.
    bool start();
    void kill(); // SIGKILL, as a crash or a power cut would
    // SIGTERM, and waits: false (its error output in error()) when it did not
    // end well, as when a sanitizer reported something at its exit.
    bool stop();

    quint16 port() const { return port_; }
    qint64 pid() const { return process_.processId(); }
    // The upload code printed at the first start (empty on later starts).
    const QByteArray &firstCode() const { return firstCode_; }
    // The first collector's sign-in code, printed at the first start too.
    const QByteArray &firstCollectorCode() const { return firstCollectorCode_; }
    QString error() const { return error_; }
    // csr-serve with these arguments and the same --data and --database: its output.
    QString command(const QStringList &arguments, int *exitCode = nullptr) const;

private:
    QStringList common() const;

    QString program_, data_, database_;
    QStringList options_;
    QProcess process_;
    quint16 port_ = 0;
    QByteArray firstCode_;
    QByteArray firstCollectorCode_;
    QString error_;
};
