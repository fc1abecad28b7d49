// Writing the data set as CSV. Most cells are flags of one character, so the
// rows are built straight into a buffer rather than field by field.
#include "CsvWriter.h"

#include "CsvText.h"
#include "DataSet.h"
#include "RunControl.h"
#include "SafeOutput.h"

#include <QFileInfo>

#include <cstring>

namespace CsvWriter {
namespace {

bool needsQuotes(QByteArrayView field)
{
    for (char c : field)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

char *put(char *out, QByteArrayView field)
{
    if (!needsQuotes(field)) {
        std::memcpy(out, field.data(), size_t(field.size()));
        return out + field.size();
    }
    *out++ = '"';
    for (char c : field) {
        if (c == '"')
            *out++ = '"';
        *out++ = c;
    }
    *out++ = '"';
    return out;
}

} // namespace

bool write(const DataSet &data, SafeOutput &out, RunControl &control)
{
    const QString item = QFileInfo(out.target()).fileName();
    const QList<DataSet::Variable> &variables = data.variables();
    QByteArray chunk(CsvText::kByteOrderMark);
    QList<QByteArray> names;
    for (const DataSet::Variable &v : variables)
        names << v.name.toUtf8();
    CsvText::appendRow(chunk, names);

    constexpr qsizetype kChunkBytes = 1 << 18;
    const qsizetype rows = data.rowCount();
    for (qsizetype row = 0; row < rows; ++row) {
        const DataSet::Record &record = data.records()[row];
        const DataSet::Lines lines = DataSet::split(record);
        // Room for the worst case: every field quoted with every byte a quote.
        const qsizetype room = 2 * (record.text.size() + record.fileName.size()) + 4 * variables.size() + 2;
        const qsizetype used = chunk.size();
        chunk.resize(used + room);
        char *at = chunk.data() + used;
        for (qsizetype c = 0; c < variables.size(); ++c) {
            const DataSet::Variable &v = variables[c];
            if (c > 0)
                *at++ = ',';
            if (v.kind == DataSet::Kind::Flag && !record.unusable.test(size_t(v.line - 1)) &&
                v.position < lines[size_t(v.line - 1)].size()) {
                const QByteArrayView codes = lines[size_t(v.line - 1)];
                *at++ = codes[v.position] == '1' ? '1' : '0';
                continue;
            }
            at = put(at, DataSet::text(v, record, lines));
        }
        *at++ = '\r';
        *at++ = '\n';
        chunk.truncate(at - chunk.constData());
        if (chunk.size() > kChunkBytes) {
            if (!out.write(chunk))
                return false;
            chunk.truncate(0);
        }
        if ((row & 1023) == 1023) {
            if (control.isCancelled())
                return false;
            control.progress(RunControl::Phase::Writing, row + 1, rows, item);
        }
    }
    control.progress(RunControl::Phase::Writing, rows, rows, item);
    return out.write(chunk) && !control.isCancelled();
}

} // namespace CsvWriter
