// The data set as an Excel workbook (libxlsxwriter): sheet "数据" with the
// variable names in its one header row, each with its label as a note; sheet
// "变量说明", the codebook; sheet "问题", the problem report; sheet "核查", the
// findings of the data checks.
#pragma once

#include "collect/export/Exporter.h"

#include <memory>

class DataSet;
class SafeFile;

namespace ExcelExporter {

std::unique_ptr<Exporter> make();

// A workbook holding only the codebook sheet, written into the open file.
bool writeCodebook(const DataSet &data, SafeFile &file, const TextLimit &limit);
// A workbook holding only the sheet of the data checks' findings.
bool writeChecks(const DataSet &data, SafeFile &file, const TextLimit &limit);

} // namespace ExcelExporter
