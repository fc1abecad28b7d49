// Rows that share a key: the same enterprise twice, the same file twice.
#pragma once

#include <QList>
#include <QStringList>

namespace SameKeys {

// The rows of each key that more than one row has, each group in row order;
// rows with an empty key belong to none.
QList<QList<qsizetype>> groups(const QStringList &keys);

} // namespace SameKeys
