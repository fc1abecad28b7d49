// The data set as an Excel workbook (libxlsxwriter): sheet "数据" with variable
// names in row 1 and labels in row 2, frozen; sheet "变量说明", the codebook;
// sheet "问题", the problem report.
#pragma once

class DataSet;
class ProblemReport;
class RunControl;
class SafeOutput;

namespace ExcelWriter {

// Writes the whole workbook into the opened output's temporary file; false
// when writing failed (out then says why) or the run was cancelled.
bool write(const DataSet &data, const ProblemReport &problems, SafeOutput &out, RunControl &control);

// A workbook holding only the codebook sheet.
bool writeCodebook(const DataSet &data, SafeOutput &out);

} // namespace ExcelWriter
