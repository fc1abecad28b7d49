#include "collect/Sha256.h"

#include <QCryptographicHash>

namespace Sha256 {

QByteArray hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace Sha256
