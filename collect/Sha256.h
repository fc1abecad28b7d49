// The SHA-256 of a file's bytes, the record's ID in the data set.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace Sha256 {

// 64 hexadecimal digits, lower case.
QByteArray hex(QByteArrayView bytes);

} // namespace Sha256
