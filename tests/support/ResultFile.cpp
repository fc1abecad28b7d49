// Result file bytes for the tests: read from disk, or built by hand from the
// lines a test expects.
#include "tests/support/ResultFile.h"

#include "platform/Gbk.h"

#include <QFile>

namespace ResultFile {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray expected(const QList<QPair<int, QString>> &lines)
{
    QStringList text(139);
    for (const auto &line : lines)
        text[line.first - 1] = line.second;
    QByteArray bytes;
    for (const QString &line : text)
        bytes += Gbk::encode(line) + "\r\n";
    return bytes;
}

QStringList lines(const QByteArray &bytes)
{
    QStringList out;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf("\r\n", start);
        if (end < 0)
            return {};
        const QByteArray line = bytes.mid(start, end - start);
        if (line.contains('\r') || line.contains('\n'))
            return {};
        out << Gbk::decode(line);
        start = end + 2;
    }
    return out;
}

} // namespace ResultFile
