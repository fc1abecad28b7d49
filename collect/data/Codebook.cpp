// One row per variable: the same rows make the CSV, the Markdown table and the workbook sheet.
#include "collect/data/Codebook.h"

#include "collect/data/DataSet.h"

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

} // namespace Codebook
