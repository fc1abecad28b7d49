// The data set as an SPSS (.sav) or Stata (.dta, version 118, UTF-8) file,
// written with ReadStat: variable labels, value labels, and strings as wide as
// their longest value within the format's limit.
#pragma once

#include "collect/FileFormat.h"

class DataSet;
class RunControl;
class SafeOutput;

namespace StatWriter {

// format is FileFormat::Sav or FileFormat::Dta. Writes into the opened output;
// false when writing failed (out then says why) or the run was cancelled.
bool write(const DataSet &data, FileFormat format, SafeOutput &out, RunControl &control);

} // namespace StatWriter
