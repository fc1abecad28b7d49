// The lists beside the data set as files of their own: the codebook as CSV or
// a Markdown table, the problem report and the findings of the data checks as
// CSV. (The workbook carries them as sheets; see ExcelExporter.)
#pragma once

#include <QByteArray>

class DataSet;
class ProblemReport;

namespace ListFiles {

QByteArray codebookCsv(const DataSet &data);
QByteArray codebookMarkdown(const DataSet &data);
QByteArray problemsCsv(const ProblemReport &report);
QByteArray checksCsv(const DataSet &data);

} // namespace ListFiles
