// The result file's fixed frame, which every writer and reader of it shares:
// how many lines it has, how large it may grow and what its name ends with.
#pragma once

#include <QStringView>
#include <QtGlobal>

namespace Survey {

// Line k of the file is slot k of the answer record.
inline constexpr int kLineCount = 139;

// Line 1 holds the enterprise's registered name, which also names the file.
inline constexpr int kEnterpriseNameLine = 1;

// The most bytes a result file may have. No field cuts what a person types or
// pastes, so the pages refuse a record above this before the save, and the
// reader and the collector take every file up to it; far more than anyone
// types, and still small enough for the collector to hold thousands.
inline constexpr qint64 kMaxFileBytes = qint64(16) << 20;

// The file's name is the enterprise's name (line 1) followed by this.
inline constexpr QStringView kResultFileSuffix = u"_填报结果.dbf";

// What a text line never keeps: NUL and the other C0 controls but the tab,
// and DEL. Line breaks end a line, so they never reach a text either.
constexpr bool isControlCharacter(char32_t c)
{
    return (c < 0x20 && c != U'\t') || c == 0x7F;
}

} // namespace Survey
