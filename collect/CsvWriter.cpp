// Writing the data set as CSV. Most cells are flags of one character, so the
// rows are built straight into a buffer rather than field by field, and blocks
// of rows are built on several threads and written in order.
#include "CsvWriter.h"

#include "CsvText.h"
#include "DataSet.h"
#include "RunControl.h"
#include "SafeOutput.h"

#include <QFileInfo>
#include <QThread>

#include <cstring>
#include <thread>
#include <vector>

namespace CsvWriter {
namespace {

constexpr qsizetype kBlockRows = 512;

bool needsQuotes(QByteArrayView field)
{
    for (char c : field)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

char *put(char *out, QByteArrayView field)
{
    if (field.isEmpty())
        return out; // its data may be null, which memcpy must not get
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

// Rows first to first + count, each ended by CR LF.
QByteArray formatRows(const DataSet &data, qsizetype first, qsizetype count)
{
    const QList<DataSet::Variable> &variables = data.variables();
    QByteArray block;
    for (qsizetype row = first; row < first + count; ++row) {
        const DataSet::Record &record = data.records()[row];
        const DataSet::Lines lines = DataSet::split(record);
        // Room for the worst case: every field quoted with every byte a quote.
        const qsizetype room = 2 * (record.text.size() + record.fileName.size()) + 4 * variables.size() + 2;
        const qsizetype used = block.size();
        block.resize(used + room);
        char *at = block.data() + used;
        for (qsizetype c = 0; c < variables.size(); ++c) {
            const DataSet::Variable &v = variables[c];
            if (c > 0)
                *at++ = ',';
            if (v.kind == DataSet::Kind::Flag && !record.unusable.test(size_t(v.line - 1)) &&
                v.position < lines[size_t(v.line - 1)].size()) {
                *at++ = lines[size_t(v.line - 1)][v.position] == '1' ? '1' : '0';
                continue;
            }
            at = put(at, DataSet::text(v, record, lines));
        }
        *at++ = '\r';
        *at++ = '\n';
        block.truncate(at - block.constData());
    }
    return block;
}

} // namespace

bool write(const DataSet &data, SafeOutput &out, RunControl &control)
{
    const QString item = QFileInfo(out.target()).fileName();
    QByteArray header(CsvText::kByteOrderMark);
    QList<QByteArray> names;
    for (const DataSet::Variable &v : data.variables())
        names << v.name.toUtf8();
    CsvText::appendRow(header, names);
    if (!out.write(header))
        return false;

    const qsizetype rows = data.rowCount();
    const int threads = std::max(1, QThread::idealThreadCount());
    std::vector<QByteArray> blocks(static_cast<size_t>(threads));
    for (qsizetype first = 0; first < rows; first += threads * kBlockRows) {
        std::vector<std::thread> workers;
        for (int t = 1; t < threads; ++t) {
            const qsizetype start = first + t * kBlockRows;
            if (start < rows)
                workers.emplace_back([&, t, start] {
                    blocks[size_t(t)] = formatRows(data, start, std::min(kBlockRows, rows - start));
                });
        }
        blocks[0] = formatRows(data, first, std::min(kBlockRows, rows - first));
        for (std::thread &w : workers)
            w.join();
        for (size_t t = 0; t < workers.size() + 1; ++t)
            if (!out.write(blocks[t]))
                return false;
        if (control.isCancelled())
            return false;
        const qsizetype done = std::min(rows, first + threads * kBlockRows);
        if (done < rows)
            control.progress(RunControl::Phase::Writing, done, rows, item);
    }
    control.progress(RunControl::Phase::Writing, rows, rows, item);
    return !control.isCancelled();
}

} // namespace CsvWriter
