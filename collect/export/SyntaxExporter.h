// SPSS syntax (.sps) and a Stata do-file (.do) that read the values CSV
// written beside them and give it every variable label, value label,
// missing-value definition (不适用 included), format and measurement level,
// as SPSS and Stata files written directly would have them. Where ReadStat is
// not built in, these are the way into SPSS and Stata.
#pragma once

#include "collect/export/Exporter.h"

#include <QString>
#include <memory>

namespace SyntaxExporter {

// A path with a line break in it cannot be named: neither SPSS nor Stata has
// a way to write one inside a quoted file name, where the command would end.
QString refusal(const QString &path);

std::unique_ptr<Exporter> makeSps();
std::unique_ptr<Exporter> makeDo();

} // namespace SyntaxExporter
