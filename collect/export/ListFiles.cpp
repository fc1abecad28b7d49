// The rows are the lists' own (Codebook, ProblemReport); only the file's form is made here.
#include "collect/export/ListFiles.h"

#include "collect/data/FindingRows.h"
#include "collect/data/Codebook.h"
#include "collect/data/ProblemReport.h"
#include "collect/export/CsvText.h"

namespace ListFiles {

QByteArray codebookCsv(const DataSet &data)
{
    return CsvText::table(Codebook::columns(), Codebook::rows(data));
}

QByteArray codebookMarkdown(const DataSet &data)
{
    // A pipe or a line break inside a cell would break the table.
    auto cell = [](QString text) {
        text.replace(QLatin1Char('|'), QStringLiteral("\\|"));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return text;
    };
    const QStringList columns = Codebook::columns();
    QString out = QStringLiteral("# 变量说明\n\n");
    out += QStringLiteral("| ") + columns.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    out += QStringLiteral("|") + QStringLiteral("---|").repeated(columns.size()) + QLatin1Char('\n');
    for (const QStringList &row : Codebook::rows(data)) {
        QStringList cells;
        for (const QString &field : row)
            cells << cell(field);
        out += QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    }
    return out.toUtf8();
}

QByteArray problemsCsv(const ProblemReport &report)
{
    return CsvText::table(ProblemReport::columns(), report.rows());
}

QByteArray checksCsv(const DataSet &data)
{
    return CsvText::table(FindingRows::columns(data), FindingRows::rows(data));
}

} // namespace ListFiles
