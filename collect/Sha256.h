// The SHA-256 of a file's bytes, the record's ID in the data set. Hashing
// every file read is a good part of a merge's work, so where the processor
// has SHA instructions they do it, several times faster; elsewhere Qt does.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace Sha256 {

// 64 hexadecimal digits, lower case.
QByteArray hex(QByteArrayView bytes);

} // namespace Sha256
