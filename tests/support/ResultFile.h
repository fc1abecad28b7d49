// Result file bytes for the tests: read from disk, or built by hand from the
// lines a test expects.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ResultFile {

// The raw bytes of a file; empty when it does not exist.
QByteArray readBytes(const QString &path);

// Builds the bytes a result file must hold: 139 lines, each GBK text + CR LF.
// lines maps line numbers (1..139) to their text; the rest are empty.
QByteArray expected(const QList<QPair<int, QString>> &lines);

// Splits result file bytes into its lines (decoded from GBK), checking that
// every line ends with CR LF; returns an empty list when the framing is broken.
QStringList lines(const QByteArray &bytes);

} // namespace ResultFile
