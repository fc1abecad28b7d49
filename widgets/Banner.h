// Decoding of the intro page's banner picture with libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>

namespace Banner {

// Decodes JPEG bytes; returns a null image for anything libjpeg refuses, so a
// damaged picture never takes the program down.
QImage decodeJpeg(const QByteArray &jpeg);

// The embedded banner, decoded.
QImage load();

} // namespace Banner
