// The data set as CSV: UTF-8 with a byte-order mark, one header row of
// variable names, RFC 4180 quoting, CR LF. Every cell as the record holds it.
#pragma once

class DataSet;
class RunControl;
class SafeOutput;

namespace CsvWriter {

// Writes into the opened output; false when writing failed or the run was cancelled.
bool write(const DataSet &data, SafeOutput &out, RunControl &control);

} // namespace CsvWriter
