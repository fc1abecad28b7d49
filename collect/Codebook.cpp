// One row per variable: the same rows make the CSV, the Markdown table and the workbook sheet.
#include "collect/Codebook.h"

#include "collect/CsvText.h"
#include "collect/DataSet.h"
#include "survey/SafeFile.h"

namespace Codebook {

QStringList columns()
{
    return {QStringLiteral("variable"), QStringLiteral("line"),   QStringLiteral("label"),  QStringLiteral("type"),
            QStringLiteral("unit"),     QStringLiteral("values"), QStringLiteral("missing")};
}

QList<QStringList> rows(const DataSet &data)
{
    QList<QStringList> out;
    for (const DataSet::Variable &v : data.variables()) {
        out.append({v.name, v.line > 0 ? QString::number(v.line) : QString(), v.label, DataSet::typeName(v), v.unit,
                    DataSet::valuesText(v), DataSet::missingText(v)});
    }
    return out;
}

QByteArray toCsv(const DataSet &data)
{
    QByteArray out(CsvText::kByteOrderMark);
    auto appendRow = [&out](const QStringList &row) {
        QList<QByteArray> fields;
        for (const QString &field : row)
            fields << field.toUtf8();
        CsvText::appendRow(out, fields);
    };
    appendRow(columns());
    for (const QStringList &row : rows(data))
        appendRow(row);
    return out;
}

QByteArray toMarkdown(const DataSet &data)
{
    // A pipe or a line break inside a cell would break the table.
    auto cell = [](QString text) {
        text.replace(QLatin1Char('|'), QStringLiteral("\\|"));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return text;
    };
    QString out = QStringLiteral("# 变量说明\n\n");
    out += QStringLiteral("| ") + columns().join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    out += QStringLiteral("|") + QStringLiteral("---|").repeated(columns().size()) + QLatin1Char('\n');
    for (const QStringList &row : rows(data)) {
        QStringList cells;
        for (const QString &field : row)
            cells << cell(field);
        out += QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    }
    return out.toUtf8();
}

bool writeCsv(const DataSet &data, SafeFile &file)
{
    return file.write(toCsv(data));
}

bool writeMarkdown(const DataSet &data, SafeFile &file)
{
    return file.write(toMarkdown(data));
}

} // namespace Codebook
