// The data set as an SPSS (.sav) or Stata (.dta, version 118, UTF-8) file,
// written with ReadStat: variable and value labels, formats, measurement
// levels, 不适用 as a user-missing code (SPSS) or .a (Stata). A build without
// ReadStat has neither format.
#pragma once

#include "collect/export/Exporter.h"

#include <memory>

namespace StatExporter {

bool builtIn();
std::unique_ptr<Exporter> makeSav();
std::unique_ptr<Exporter> makeDta();

} // namespace StatExporter
