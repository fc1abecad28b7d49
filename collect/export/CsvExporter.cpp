// Most cells are flags of one character, so rows are built straight into a
// buffer rather than field by field, and blocks of rows are built ahead on
// other threads while the blocks before them are written in order.
#include "collect/export/CsvExporter.h"

#include "collect/data/DataSet.h"
#include "collect/export/CsvText.h"
#include "platform/SafeFile.h"

#include <QThread>

#include <charconv>
#include <deque>
#include <future>

namespace CsvExporter {
namespace {

constexpr qsizetype kBlockRows = 1024;
// The longest number the values hold ("-1.2345678901234567e-300") and the
// date-time, with room to spare.
constexpr qsizetype kNumberBytes = 32;

using Kind = DataSet::Kind;

enum class Cells { Text, Values };

// The columns in runs: in the text form, the flags of one code line side by
// side are one run, written in one tight loop; every other column is a run
// of its own.
struct Run {
    const DataSet::Variable *variable;
    int line;  // 0-based
    int first; // Flags: the first position
    int count; // Flags: how many positions; 0 for a single cell
};

QList<Run> runsOf(const QList<DataSet::Variable> &variables, Cells cells)
{
    QList<Run> runs;
    for (const DataSet::Variable &v : variables) {
        const bool flag = cells == Cells::Text && v.kind == Kind::Flag;
        if (flag && !runs.isEmpty() && runs.back().count > 0 && runs.back().line == v.line - 1 &&
            runs.back().first + runs.back().count == v.position) {
            ++runs.back().count;
            continue;
        }
        runs.append({&v, v.line - 1, flag ? v.position : 0, flag ? 1 : 0});
    }
    return runs;
}

// Figures, codes and flags are numbers; a spreadsheet cannot take them for a formula.
bool isTextColumn(const DataSet::Variable &v, Cells cells)
{
    return cells == Cells::Text ? v.kind != Kind::Number && v.kind != Kind::Flag
                                : !v.isNumeric() || v.kind == Kind::Modified;
}

char *putNumber(char *at, double value)
{
    return std::to_chars(at, at + kNumberBytes, value).ptr;
}

// A text as long as limit lets it be: where the .sav cuts it, so that the
// syntax files read what the .sav holds, never half a character.
char *putValue(char *at, const DataSet::Variable &v, const DataSet::Cell &cell, const TextLimit &limit)
{
    switch (cell.state) {
    case DataSet::Cell::State::Missing:
        return at;
    case DataSet::Cell::State::NotApplicable:
        return v.isNumeric() ? putNumber(at, DataSet::kNotApplicableCode) : at;
    case DataSet::Cell::State::Value:
        break;
    }
    if (!v.isNumeric())
        return CsvText::put(at, limit.cut(cell.text), true);
    if (v.kind == Kind::Modified)
        return CsvText::put(at, cell.text, true);
    return putNumber(at, cell.number);
}

// Rows first to first + count, each ended by CR LF.
QByteArray formatRows(const DataSet &data, const QList<Run> &runs, Cells cells, TextLimit limit, qsizetype first,
                      qsizetype count)
{
    const qsizetype columns = data.variables().size();
    QByteArray block;
    for (qsizetype row = first; row < first + count; ++row) {
        const DataSet::Record &record = data.records()[row];
        const DataSet::Lines lines = DataSet::split(record);
        const qsizetype texts = record.text.size() + record.file.size() + record.modified.size() + record.sha256.size();
        const qsizetype room = CsvText::maxFieldBytes(texts) + (CsvText::maxFieldBytes(0) + kNumberBytes) * columns;
        const qsizetype used = block.size();
        block.resize(used + room);
        char *at = block.data() + used;
        for (const Run &run : runs) {
            const DataSet::Variable &v = *run.variable;
            if (run.count == 0) {
                if (cells == Cells::Values)
                    at = putValue(at, v, DataSet::cell(v, record, lines), limit);
                else
                    at = CsvText::put(at, DataSet::text(v, record, lines), isTextColumn(v, cells));
                *at++ = ',';
                continue;
            }
            const QByteArrayView codes = lines[size_t(run.line)];
            if (DataSet::flagsMissing(v, record, codes, run.first + run.count)) {
                std::memset(at, ',', size_t(run.count));
                at += run.count;
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

class CsvData : public Exporter {
public:
    explicit CsvData(Cells cells) : cells_(cells) {}

    bool open(SafeFile &file, const Target &target) override
    {
        file_ = &file;
        data_ = &target.data;
        runs_ = runsOf(data_->variables(), cells_);
        limit_ = target.limit;
        return true;
    }

    bool header() override
    {
        QByteArray header(CsvText::kByteOrderMark);
        QList<QByteArray> names;
        for (const DataSet::Variable &v : data_->variables())
            names << v.name.toUtf8();
        CsvText::appendRow(header, names);
        return file_->write(header);
    }

    // The block that starts at a row is written when that row comes; the
    // blocks after it are built meanwhile, as many as there are processors.
    bool row(qsizetype index) override
    {
        if (index % kBlockRows != 0)
            return true;
        const qsizetype block = index / kBlockRows;
        const qsizetype blocks = (data_->rowCount() + kBlockRows - 1) / kBlockRows;
        const qsizetype inFlight = std::max(1, QThread::idealThreadCount());
        while (launched_ < blocks && launched_ < block + inFlight) {
            const qsizetype first = launched_++ * kBlockRows;
            pending_.push_back(std::async(std::launch::async, formatRows, std::cref(*data_), std::cref(runs_), cells_,
                                          limit_, first, std::min(kBlockRows, data_->rowCount() - first)));
        }
        const QByteArray rows = pending_.front().get();
        pending_.pop_front();
        return file_->write(rows);
    }

    bool finish() override { return !file_->failed(); }
    QString errorText() const override { return file_->errorText(); }

private:
    Cells cells_;
    TextLimit limit_;
    SafeFile *file_ = nullptr;
    const DataSet *data_ = nullptr;
    QList<Run> runs_;
    qsizetype launched_ = 0;
    std::deque<std::future<QByteArray>> pending_; // waited for, when left, as they go
};

} // namespace

std::unique_ptr<Exporter> makeText()
{
    return std::make_unique<CsvData>(Cells::Text);
}

std::unique_ptr<Exporter> makeValues()
{
    return std::make_unique<CsvData>(Cells::Values);
}

} // namespace CsvExporter
