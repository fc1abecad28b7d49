// Windows: Qt's own SHA-256; the Windows build has no OpenSSL.
#include "platform/Sha256.h"

#include <QCryptographicHash>

namespace Sha256 {

QByteArray hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace Sha256
