// The longest text each format can hold in one cell, and cutting a text to it
// without splitting a character.
#pragma once

#include "collect/FileFormat.h"

#include <QByteArrayView>

namespace TextLimit {

// Stata 118 "str" variables (strL is not used: Stata users expect str).
inline constexpr qsizetype kDtaBytes = 2045;
// SPSS very long strings.
inline constexpr qsizetype kSavBytes = 32767;
// An Excel cell, counted in characters.
inline constexpr qsizetype kXlsxCharacters = 32767;

// Whether the format cuts the text; CSV and Markdown hold any length.
bool exceeds(FileFormat format, QByteArrayView utf8);
// The longest start of the text that fits the format.
QByteArrayView cut(FileFormat format, QByteArrayView utf8);
// The longest start of the text within maxBytes, ending on a character boundary.
QByteArrayView cutBytes(QByteArrayView utf8, qsizetype maxBytes);

} // namespace TextLimit
