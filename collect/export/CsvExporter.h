// The data set as CSV (see CsvText): one header row of variable names, then
// one row per record. Two kinds: the text that people read (list items as
// their text, a figure as it was typed), and the values that the syntax files
// read (every cell as SPSS and Stata hold it, 不适用 as its code).
#pragma once

#include "collect/export/Exporter.h"

#include <memory>

namespace CsvExporter {

std::unique_ptr<Exporter> makeText();
std::unique_ptr<Exporter> makeValues();

} // namespace CsvExporter
