// The longest text a cell of a format holds, and cutting a text to it without
// splitting a character. Each format's limit stands in the table of formats.
#pragma once

#include <QByteArrayView>

struct TextLimit {
    enum class Unit { None, Bytes, Characters };
    Unit unit = Unit::None;
    qsizetype most = 0;

    // The longest start of the text that fits.
    QByteArrayView cut(QByteArrayView utf8) const;
    bool exceeds(QByteArrayView utf8) const { return cut(utf8).size() != utf8.size(); }

    // The longest start of the text within maxBytes, ending on a character boundary.
    static QByteArrayView cutBytes(QByteArrayView utf8, qsizetype maxBytes);
};
