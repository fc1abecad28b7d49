// The result file's fixed frame, which every writer and reader of it shares:
// how many lines it has and what its name ends with.
#pragma once

#include <QStringView>

namespace Survey {

// Line k of the file is slot k of the answer record.
inline constexpr int kLineCount = 139;

// The file's name is the enterprise's name (line 1) followed by this.
inline constexpr QStringView kResultFileSuffix = u"_填报结果.dbf";

} // namespace Survey
