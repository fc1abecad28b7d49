// The SHA-256 of a file's bytes, in lower-case hex: every file read has one,
// so it is computed where the processor helps (its SHA instructions).
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace Sha256 {

QByteArray hex(QByteArrayView bytes);

} // namespace Sha256
