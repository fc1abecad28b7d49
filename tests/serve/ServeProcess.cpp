#include "tests/serve/ServeProcess.h"

#include <QElapsedTimer>
#include <QRegularExpression>

ServeProcess::ServeProcess(QString program, QString data, QString database, QStringList options)
    : program_(std::move(program)), data_(std::move(data)), database_(std::move(database)),
      options_(std::move(options))
{
}

ServeProcess::~ServeProcess()
{
    stop();
}

QStringList ServeProcess::common() const
{
    QStringList arguments{"--data", data_};
    if (!database_.isEmpty())
        arguments << "--database" << database_;
    return arguments;
}

bool ServeProcess::start()
{
    port_ = 0;
    firstCode_.clear();
    firstCollectorCode_.clear();
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(program_, common() + QStringList{"--listen", "127.0.0.1:0"} + options_);
    QByteArray out;
    QElapsedTimer waited;
    waited.start();
    static const QRegularExpression listening(QStringLiteral("正在监听 http://127.0.0.1:(\\d+)"));
    static const QRegularExpression collector(QStringLiteral("登录代码，只显示这一次：([A-Za-z0-9_-]+)"));
    static const QRegularExpression first(QStringLiteral("代码只显示这一次）：http://[^/]+/u/([A-Za-z0-9_-]+)"));
    while (waited.elapsed() < 20000 && process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(100);
        out += process_.readAllStandardOutput();
        const QString text = QString::fromUtf8(out);
        if (const QRegularExpressionMatch m = listening.match(text); m.hasMatch()) {
            port_ = quint16(m.captured(1).toUInt());
            if (const QRegularExpressionMatch c = first.match(text); c.hasMatch())
                firstCode_ = c.captured(1).toLatin1();
            if (const QRegularExpressionMatch c = collector.match(text); c.hasMatch())
                firstCollectorCode_ = c.captured(1).toLatin1();
            return true;
        }
    }
    error_ = QString::fromUtf8(out + process_.readAllStandardError());
    return false;
}

void ServeProcess::kill()
{
    process_.kill();
    process_.waitForFinished(10000);
}

bool ServeProcess::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return true;
    process_.terminate();
    if (!process_.waitForFinished(20000)) {
        kill();
        error_ = QStringLiteral("csr-serve did not stop");
        return false;
    }
    if (process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0)
        return true;
    error_ = QString::fromUtf8(process_.readAllStandardError());
    return false;
}

QString ServeProcess::command(const QStringList &arguments, int *exitCode) const
{
    QProcess p;
    p.start(program_, common() + arguments);
    p.waitForFinished(30000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}
