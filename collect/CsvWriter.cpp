// Writing the data set as CSV.
#include "CsvWriter.h"

#include "CsvText.h"
#include "DataSet.h"
#include "RunControl.h"
#include "SafeOutput.h"

#include <QFileInfo>

namespace CsvWriter {

bool write(const DataSet &data, SafeOutput &out, RunControl &control)
{
    const QString item = QFileInfo(out.target()).fileName();
    QByteArray chunk(CsvText::kByteOrderMark);
    QList<QByteArray> names;
    for (const DataSet::Variable &v : data.variables())
        names << v.name.toUtf8();
    CsvText::appendRow(chunk, names);

    const qsizetype rows = data.rowCount();
    for (qsizetype row = 0; row < rows; ++row) {
        const DataSet::Record &record = data.records()[row];
        const DataSet::Lines lines = DataSet::split(record);
        bool first = true;
        for (const DataSet::Variable &v : data.variables()) {
            if (!first)
                chunk += ',';
            first = false;
            CsvText::appendField(chunk, DataSet::text(v, record, lines));
        }
        chunk += "\r\n";
        if (chunk.size() > (1 << 18)) {
            if (!out.write(chunk))
                return false;
            chunk.clear();
        }
        if ((row & 255) == 255) {
            if (control.isCancelled())
                return false;
            control.progress(RunControl::Phase::Writing, row + 1, rows, item);
        }
    }
    control.progress(RunControl::Phase::Writing, rows, rows, item);
    return out.write(chunk) && !control.isCancelled();
}

} // namespace CsvWriter
