// When a line is "不适用", in the survey's own words: the one sentence the
// report, the codebook and every reader of a gate take.
#pragma once

#include <QString>

namespace Survey {

struct Line;

// "企业未成立基金会或公益慈善专项基金时不适用", "未勾选“农业产业化”时不适用";
// empty for a line without a gate.
QString notApplicableWhen(const Line &line);

} // namespace Survey
