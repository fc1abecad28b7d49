// Writing the data set as CSV. Most cells are flags of one character, so the
// rows are built straight into a buffer rather than field by field, and blocks
// of rows are built on several threads and written in order.
#include "collect/CsvWriter.h"

#include "collect/CsvText.h"
#include "collect/DataSet.h"
#include "collect/RunControl.h"
#include "collect/SafeOutput.h"

#include <QFileInfo>
#include <QThread>

#include <cstring>
#include <deque>
#include <future>

namespace CsvWriter {
namespace {

constexpr qsizetype kBlockRows = 1024;

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

// The columns in runs: the flags of one code line side by side are one run,
// written in one tight loop; every other column is a run of its own.
struct Run {
    const DataSet::Variable *variable;
    int line;  // 0-based
    int first; // Flags: the first position
    int count; // Flags: how many positions; 0 for a single cell
};

QList<Run> runsOf(const QList<DataSet::Variable> &variables)
{
    QList<Run> runs;
    for (const DataSet::Variable &v : variables) {
        const bool flag = v.kind == DataSet::Kind::Flag;
        if (flag && !runs.isEmpty() && runs.back().count > 0 && runs.back().line == v.line - 1 &&
            runs.back().first + runs.back().count == v.position) {
            ++runs.back().count;
            continue;
        }
        runs.append({&v, v.line - 1, flag ? v.position : 0, flag ? 1 : 0});
    }
    return runs;
}

// Rows first to first + count, each ended by CR LF.
QByteArray formatRows(const DataSet &data, const QList<Run> &runs, qsizetype first, qsizetype count)
{
    const qsizetype columns = data.variables().size();
    QByteArray block;
    for (qsizetype row = first; row < first + count; ++row) {
        const DataSet::Record &record = data.records()[row];
        const DataSet::Lines lines = DataSet::split(record);
        // Room for the worst case: every field quoted with every byte a quote.
        const qsizetype room = 2 * (record.text.size() + record.fileName.size()) + 4 * columns + 2;
        const qsizetype used = block.size();
        block.resize(used + room);
        char *at = block.data() + used;
        for (const Run &run : runs) {
            if (run.count == 0) {
                at = put(at, DataSet::text(*run.variable, record, lines));
                *at++ = ',';
                continue;
            }
            const QByteArrayView codes = lines[size_t(run.line)];
            if (record.unusable.test(size_t(run.line)) || codes.size() < run.first + run.count) {
                for (int i = 0; i < run.count; ++i)
                    *at++ = ',';
                continue;
            }
            for (int i = run.first; i < run.first + run.count; ++i) {
                *at++ = codes[i] == '1' ? '1' : '0';
                *at++ = ',';
            }
        }
        at[-1] = '\r'; // in place of the last comma
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

    const QList<Run> runs = runsOf(data.variables());
    const qsizetype rows = data.rowCount();
    const qsizetype blocks = (rows + kBlockRows - 1) / kBlockRows;
    // Blocks are built on other threads, as many at a time as there are
    // processors, while this thread writes the oldest one out.
    const qsizetype inFlight = std::max(1, QThread::idealThreadCount());
    std::deque<std::future<QByteArray>> pending;
    qsizetype launched = 0;
    auto launch = [&] {
        const qsizetype first = launched++ * kBlockRows;
        pending.push_back(std::async(std::launch::async, formatRows, std::cref(data), std::cref(runs), first,
                                     std::min(kBlockRows, rows - first)));
    };
    for (qsizetype b = 0; b < blocks; ++b) {
        while (launched < blocks && launched < b + inFlight)
            launch();
        const QByteArray block = pending.front().get();
        pending.pop_front();
        if (control.isCancelled() || !out.write(block))
            return false; // the blocks still being built are waited for as they go
        if (b + 1 < blocks)
            control.progress(RunControl::Phase::Writing, (b + 1) * kBlockRows, rows, item);
    }
    control.progress(RunControl::Phase::Writing, rows, rows, item);
    return !control.isCancelled();
}

} // namespace CsvWriter
