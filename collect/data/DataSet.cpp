// The variables are read off the line map once; a cell is looked up in a
// record's lines each time it is written, so nothing is kept twice.
#include "collect/data/DataSet.h"

#include "survey/GateWords.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <span>

namespace {

using Survey::Line;
using Survey::LineKind;

// The top bit of each byte of word that is a line feed, and no other bit.
constexpr quint64 newlineBytes(quint64 word)
{
    constexpr quint64 kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const quint64 x = word ^ 0x0A0A0A0A0A0A0A0AULL; // a line feed becomes 0
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// "question：caption", without a doubled colon when the question ends with one.
QString joined(const QString &question, const QString &caption)
{
    const QString q = question.trimmed();
    const QString c = caption.trimmed();
    if (q.isEmpty())
        return c;
    if (q.endsWith(QStringLiteral("：")) || q.endsWith(QLatin1Char(':')))
        return q + c;
    return q + QStringLiteral("：") + c;
}

// The survey's yes/no: 1 for 是, 9 for 否, on a line that no gate closes.
bool isYesNo(const DataSet::Variable &v)
{
    return v.kind == DataSet::Kind::Code && v.codes == QList<QByteArray>{"1", "9"} && !v.canBeNotApplicable();
}

bool isInteger(const QString &code)
{
    bool ok = false;
    code.toInt(&ok);
    return ok && !code.isEmpty() && code.front().isDigit();
}

// A list of figures (years, ages, page counts) is in order; a list of kinds is not.
bool isOrderedList(const QStringList &items)
{
    return !items.isEmpty() && std::all_of(items.begin(), items.end(), [](const QString &item) {
        return std::any_of(item.begin(), item.end(), [](QChar c) { return c.isDigit(); });
    });
}

} // namespace

QString DataSet::notApplicableLabel()
{
    return QStringLiteral("不适用");
}

DataSet::DataSet()
{
    variables_.append({.name = QStringLiteral("file"),
                       .label = QStringLiteral("文件（从所给文件夹的名称起的路径）"),
                       .kind = Kind::File});
    variables_.append({.name = QStringLiteral("file_modified"),
                       .label = QStringLiteral("文件的修改时间"),
                       .kind = Kind::Modified,
                       .measure = Measure::Scale});
    variables_.append({.name = QStringLiteral("file_sha256"),
                       .label = QStringLiteral("文件的 SHA-256（记录编号）"),
                       .kind = Kind::Hash});
    for (const Line &line : Survey::lines())
        addLine(line);
    // Last: a column to filter on, beside the answers it is about.
    variables_.append({.name = QStringLiteral("checks"),
                       .label = QStringLiteral("数据核查：发现的可疑之处（核查编号，以空格分隔）"),
                       .kind = Kind::Checks});

    // A variable's value labels are a set of its own name, but for the lists
    // that many share: the ticks, and yes/no. Stata shows the name, which so
    // never names another variable.
    for (Variable &v : variables_) {
        if (v.kind == Kind::Flag)
            v.labelSet = QStringLiteral("ticked");
        else if (isYesNo(v))
            v.labelSet = QStringLiteral("yes_no");
        else if (!v.valueLabels.isEmpty())
            v.labelSet = v.name;
    }
}

// A variable of the line itself, before its kind's own parts.
DataSet::Variable DataSet::lineVariable(const Line &line, Kind kind)
{
    Variable v;
    v.name = line.variable;
    v.label = line.label;
    v.kind = kind;
    v.line = line.number;
    v.unit = line.unit;
    v.notApplicableWhen = Survey::notApplicableWhen(line);
    return v;
}

// A numeric variable that its gate can close has 不适用 among its value labels.
void DataSet::addVariable(Variable v)
{
    if (v.canBeNotApplicable() && v.isNumeric())
        v.valueLabels.append({kNotApplicableCode, notApplicableLabel()});
    variables_.append(std::move(v));
}

void DataSet::addLine(const Line &line)
{
    switch (line.kind) {
    case LineKind::FreeText:
        addVariable(lineVariable(line, Kind::Text));
        return;
    case LineKind::Number: {
        Variable v = lineVariable(line, Kind::Number);
        v.measure = Measure::Scale;
        addVariable(v);
        return;
    }
    case LineKind::SingleChoice:
    case LineKind::YesNoPair:
        addCode(line);
        return;
    case LineKind::ListPick:
        addListItem(line);
        return;
    case LineKind::OptionCodes:
        addFlags(line);
        return;
    case LineKind::Ranking:
        addRanking(line);
        return;
    }
}

void DataSet::addCode(const Line &line)
{
    Variable v = lineVariable(line, Kind::Code);
    v.numericCodes = std::all_of(line.choices.begin(), line.choices.end(),
                                 [](const Survey::Choice &c) { return isInteger(c.code); });
    for (qsizetype i = 0; i < line.choices.size(); ++i) {
        const Survey::Choice &c = line.choices[i];
        const int value = v.numericCodes ? c.code.toInt() : int(i + 1);
        v.codes << c.code.toUtf8();
        v.values << value;
        v.valueLabels.append({value, v.numericCodes ? c.caption.trimmed() : letterCaption(c.code, c.caption)});
    }
    addVariable(v);
}

void DataSet::addListItem(const Line &line)
{
    Variable v = lineVariable(line, Kind::ListItem);
    v.measure = isOrderedList(line.items) ? Measure::Ordinal : Measure::Nominal;
    for (qsizetype i = 0; i < line.items.size(); ++i) {
        v.codes << line.items[i].toUtf8();
        v.values << int(i + 1);
        v.valueLabels.append({int(i + 1), line.items[i]});
    }
    addVariable(v);
}

// One variable per option.
void DataSet::addFlags(const Line &line)
{
    for (qsizetype i = 0; i < line.positions.size(); ++i) {
        Variable flag;
        flag.name = line.positionVariables.value(i);
        flag.label = joined(line.question, line.positions[i]);
        flag.kind = Kind::Flag;
        flag.line = line.number;
        flag.position = int(i);
        flag.valueLabels = {{0, QStringLiteral("未选")}, {1, QStringLiteral("选中")}};
        // A question has no "none of these": nothing ticked is no answer.
        // Holding no position or running no project is an answer.
        flag.missingWhenUnanswered = line.page == Survey::PageId::Questionnaire;
        variables_.append(flag);
    }
}

// The letters as ticked, the option at each rank, and each option's rank.
void DataSet::addRanking(const Line &line)
{
    variables_.append(lineVariable(line, Kind::RankOrder));
    for (qsizetype rank = 0; rank < line.positionVariables.size(); ++rank) {
        Variable r;
        r.name = line.positionVariables[rank];
        r.label = joined(line.question, QStringLiteral("第%1位").arg(rank + 1));
        r.kind = Kind::RankLetter;
        r.line = line.number;
        r.position = int(rank);
        for (qsizetype i = 0; i < line.letters.size(); ++i) {
            const QString letter = line.letters.mid(i, 1);
            r.codes << letter.toUtf8();
            r.values << int(i + 1);
            r.valueLabels.append({int(i + 1), letterCaption(letter, line.positions.value(i))});
        }
        variables_.append(r);
    }
    for (qsizetype option = 0; option < line.rankOfVariables.size(); ++option) {
        const QString letter = line.letters.mid(option, 1);
        Variable r;
        r.name = line.rankOfVariables[option];
        r.label =
            joined(line.question, letterCaption(letter, line.positions.value(option)) + QStringLiteral("（名次）"));
        r.kind = Kind::RankOf;
        r.line = line.number;
        r.position = int(option);
        r.codes << letter.toUtf8();
        r.measure = Measure::Ordinal;
        variables_.append(r);
    }
}

QString DataSet::letterCaption(const QString &letter, const QString &caption)
{
    const QString c = caption.trimmed();
    if (c.startsWith(letter))
        return c;
    return letter + QStringLiteral(". ") + c;
}

DataSet::Lines DataSet::split(const Record &record, int lineCount)
{
    Lines out;
    const int wanted = std::clamp(lineCount, 0, Survey::kLineCount);
    const char *start = record.text.constData();
    const char *const end = start + record.text.size();
    int found = 0;
    auto endLine = [&](const char *newline) {
        out[size_t(found++)] = QByteArrayView(start, newline - start);
        start = newline + 1;
        return found == wanted;
    };
    if (wanted == 0)
        return out;
    // Eight bytes at a time: most lines are a few bytes long, and a search
    // per line cost more than the line.
    const char *at = start;
    if constexpr (std::endian::native == std::endian::little) {
        for (; end - at >= 8; at += 8) {
            quint64 word;
            std::memcpy(&word, at, sizeof word);
            for (quint64 newlines = newlineBytes(word); newlines != 0; newlines &= newlines - 1)
                if (endLine(at + std::countr_zero(newlines) / 8))
                    return out;
        }
    }
    for (; at < end; ++at)
        if (*at == '\n' && endLine(at))
            return out;
    if (start < end) // the last line without its line end
        out[size_t(found)] = QByteArrayView(start, end - start);
    return out;
}

DataSet::Cell DataSet::cell(const Variable &v, const Record &record, const Lines &lines)
{
    using State = Cell::State;
    static const char kDigits[] = "0123456789";
    auto value = [](QByteArrayView text, double number = 0) { return Cell{State::Value, text, number}; };
    switch (v.kind) {
    case Kind::File:
        return value(record.file);
    case Kind::Modified:
        return value(record.modified, double(record.modifiedSeconds));
    case Kind::Hash:
        return value(record.sha256);
    case Kind::Checks:
        return record.checks.isEmpty() ? Cell{} : value(record.checks);
    default:
        break;
    }
    const size_t at = size_t(v.line - 1);
    const QByteArrayView raw = lines[at];
    if (record.notApplicable.test(at))
        return {State::NotApplicable};
    if (raw.isEmpty() || (v.kind != Kind::Text && v.kind != Kind::RankOrder && record.unusable.test(at)))
        return {};
    switch (v.kind) {
    case Kind::Text:
    case Kind::RankOrder:
        return value(raw);
    case Kind::Number:
        if (const std::optional<double> number = RecordCheck::numberValue(raw))
            return value(raw, *number);
        return {};
    case Kind::Code:
    case Kind::ListItem:
        for (qsizetype i = 0; i < v.codes.size(); ++i)
            if (raw == v.codes[i])
                return value(raw, double(v.values[i]));
        return {};
    case Kind::Flag:
        if (flagsMissing(v, record, raw, v.position + 1))
            return {};
        return raw[v.position] == '1' ? value(QByteArrayView(kDigits + 1, 1), 1) : value(QByteArrayView(kDigits, 1), 0);
    case Kind::RankLetter: {
        if (v.position >= raw.size())
            return {};
        const QByteArrayView letter = raw.sliced(v.position, 1);
        for (qsizetype i = 0; i < v.codes.size(); ++i)
            if (letter == v.codes[i])
                return value(letter, double(v.values[i]));
        return {};
    }
    case Kind::RankOf: {
        const qsizetype rank = raw.indexOf(v.codes.front()) + 1;
        if (rank <= 0 || rank > 9)
            return {};
        return value(QByteArrayView(kDigits + rank, 1), double(rank));
    }
    default:
        return {};
    }
}

bool DataSet::flagsMissing(const Variable &flag, const Record &record, QByteArrayView codes, qsizetype end)
{
    const size_t at = size_t(flag.line - 1);
    return record.unusable.test(at) || codes.size() < end || (flag.missingWhenUnanswered && record.unanswered.test(at));
}

QByteArrayView DataSet::text(const Variable &v, const Record &record, const Lines &lines)
{
    // A figure's text is what it was typed as; a figure that is not one made
    // its line unusable when the record was checked, so nothing is parsed here.
    if (v.kind == Kind::Number) {
        const size_t at = size_t(v.line - 1);
        return record.unusable.test(at) || record.notApplicable.test(at) ? QByteArrayView() : lines[at];
    }
    const Cell c = cell(v, record, lines);
    return c.isValue() ? c.text : QByteArrayView();
}

bool DataSet::anyChecked() const
{
    return std::any_of(findings_.begin(), findings_.end(), [](const Finding &f) { return f.checked; });
}

void DataSet::setFindings(QList<Finding> findings)
{
    // Mostly in order already: each record's own, then those across records.
    const auto before = [](const Finding &a, const Finding &b) {
        return a.row != b.row ? a.row < b.row : a.check.check < b.check.check;
    };
    const auto unsorted = std::is_sorted_until(findings.begin(), findings.end(), before);
    if (std::is_sorted(unsorted, findings.end(), before))
        std::inplace_merge(findings.begin(), unsorted, findings.end(), before);
    else
        std::stable_sort(findings.begin(), findings.end(), before);
    findings_ = std::move(findings);
    for (Record &record : records_)
        record.checks.clear();
    // Records with the same checks share one text of ids.
    QHash<DataChecks::CheckSet, QByteArray> idsOf;
    auto ids = [&](DataChecks::CheckSet checks) {
        QByteArray &text = idsOf[checks];
        if (text.isEmpty())
            for (size_t c = 0; c < DataChecks::all().size(); ++c)
                if (checks & (DataChecks::CheckSet(1) << c))
                    text += (text.isEmpty() ? "" : " ") + DataChecks::all()[c].id.toUtf8();
        return text;
    };
    for (qsizetype i = 0; i < findings_.size();) {
        const qsizetype row = findings_[i].row;
        DataChecks::CheckSet checks = 0;
        for (; i < findings_.size() && findings_[i].row == row; ++i)
            checks |= DataChecks::CheckSet(1) << findings_[i].check.check;
        if (row >= 0 && row < records_.size())
            records_[row].checks = ids(checks);
    }
}

QString DataSet::typeName(const Variable &v)
{
    switch (v.kind) {
    case Kind::File:
        return QStringLiteral("文件路径");
    case Kind::Modified:
        return QStringLiteral("日期时间");
    case Kind::Hash:
        return QStringLiteral("文字（64 位十六进制）");
    case Kind::Text:
        return QStringLiteral("文字");
    case Kind::Number:
        return QStringLiteral("数值");
    case Kind::Code:
        return v.numericCodes ? QStringLiteral("代码") : QStringLiteral("代码（字母；SPSS、Stata 中为数字）");
    case Kind::ListItem:
        return QStringLiteral("列表项（SPSS、Stata 中为序号）");
    case Kind::Flag:
        return QStringLiteral("选项 0/1");
    case Kind::RankOrder:
        return QStringLiteral("排序字母串");
    case Kind::RankLetter:
        return QStringLiteral("排序字母（SPSS、Stata 中为数字）");
    case Kind::RankOf:
        return QStringLiteral("名次");
    case Kind::Checks:
        return QStringLiteral("文字（核查编号）");
    }
    return {};
}

QString DataSet::valuesText(const Variable &v)
{
    QStringList parts;
    for (qsizetype i = 0; i < v.valueLabels.size(); ++i) {
        const ValueLabel &l = v.valueLabels[i];
        if (l.value == kNotApplicableCode)
            continue; // in the missing column
        const bool lettered = (v.kind == Kind::Code && !v.numericCodes) || v.kind == Kind::RankLetter;
        parts << (lettered ? QString::fromUtf8(v.codes[i]) + QLatin1Char('/') : QString()) + QString::number(l.value) +
                     QLatin1Char('=') + l.label;
    }
    if (v.kind == Kind::RankOf)
        parts << QStringLiteral("1…%1，未排入为空").arg(Survey::line(v.line).letters.size());
    if (v.kind == Kind::Checks) {
        for (const DataChecks::Check &check : DataChecks::all())
            parts << QStringLiteral("%1=%2（%3）").arg(check.id, check.title, DataChecks::severityText(check.severity));
        parts << QStringLiteral("都未发现时为空");
    }
    return parts.join(QStringLiteral("；"));
}

QString DataSet::missingText(const Variable &v)
{
    QStringList parts;
    if (v.canBeNotApplicable()) {
        const QString code =
            v.isNumeric() ? QStringLiteral("（SPSS 中为 %1，定义为缺失值；Stata 中为 .a）").arg(kNotApplicableCode)
                          : QStringLiteral("（文字：在各格式中都为空）");
        parts << v.notApplicableWhen + code;
    }
    if (v.missingWhenUnanswered)
        parts << QStringLiteral("本题一项都未选时为缺失（未作答）");
    return parts.join(QStringLiteral("；"));
}
