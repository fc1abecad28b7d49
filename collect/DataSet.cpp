// The data set's variables from the line map, and its cells in each form.
#include "collect/DataSet.h"

#include "survey/RecordCheck.h"

#include "survey/LineMap.h"

#include <QHash>
#include <charconv>
#include <cstring>

namespace {

using Survey::Line;
using Survey::LineKind;

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

// A caption that keeps its code letter, for labels of letters turned into numbers.
QString withLetter(const QString &letter, const QString &caption)
{
    const QString c = caption.trimmed();
    if (c.startsWith(letter))
        return c;
    return letter + QStringLiteral(". ") + c;
}

bool isInteger(const QString &code)
{
    bool ok = false;
    code.toInt(&ok);
    return ok && !code.isEmpty() && code.front().isDigit();
}

} // namespace

DataSet::DataSet()
{
    Variable file;
    file.name = QStringLiteral("file");
    file.label = QStringLiteral("文件名");
    file.kind = Kind::FileName;
    variables_.append(file);
    for (const Line &line : Survey::lines())
        addLine(line);

    // Variables with the same value labels share one set, named after the first.
    QHash<QString, QString> setByLabels;
    for (Variable &v : variables_) {
        if (v.valueLabels.isEmpty())
            continue;
        QString key;
        for (const ValueLabel &l : v.valueLabels)
            key += QString::number(l.value) + QLatin1Char('=') + l.label + QLatin1Char('\n');
        auto it = setByLabels.find(key);
        if (it == setByLabels.end())
            it = setByLabels.insert(key, v.kind == Kind::Flag ? QStringLiteral("ticked") : v.name);
        v.labelSet = it.value();
    }
}

void DataSet::addLine(const Line &line)
{
    Variable v;
    v.name = line.variable;
    v.label = line.label;
    v.line = line.number;
    v.unit = line.unit;
    switch (line.kind) {
    case LineKind::FreeText:
        v.kind = Kind::Text;
        variables_.append(v);
        return;
    case LineKind::Number:
        v.kind = Kind::Number;
        variables_.append(v);
        return;
    case LineKind::SingleChoice:
    case LineKind::YesNoPair: {
        v.kind = Kind::Code;
        v.numericCodes = std::all_of(line.choices.begin(), line.choices.end(),
                                     [](const Survey::Choice &c) { return isInteger(c.code); });
        for (qsizetype i = 0; i < line.choices.size(); ++i) {
            const Survey::Choice &c = line.choices[i];
            const int value = v.numericCodes ? c.code.toInt() : int(i + 1);
            v.codes << c.code.toUtf8();
            v.values << value;
            v.valueLabels.append({value, v.numericCodes ? c.caption.trimmed() : withLetter(c.code, c.caption)});
        }
        variables_.append(v);
        return;
    }
    case LineKind::ListPick:
        v.kind = Kind::ListItem;
        for (qsizetype i = 0; i < line.items.size(); ++i) {
            v.codes << line.items[i].toUtf8();
            v.values << int(i + 1);
            v.valueLabels.append({int(i + 1), line.items[i]});
        }
        variables_.append(v);
        return;
    case LineKind::OptionCodes:
        for (qsizetype i = 0; i < line.positions.size(); ++i) {
            Variable flag;
            flag.name = line.positionVariables.value(i);
            flag.label = joined(line.question, line.positions[i]);
            flag.kind = Kind::Flag;
            flag.line = line.number;
            flag.position = int(i);
            flag.valueLabels = {{0, QStringLiteral("未选")}, {1, QStringLiteral("选中")}};
            variables_.append(flag);
        }
        return;
    case LineKind::Ranking:
        v.kind = Kind::RankOrder;
        variables_.append(v);
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
                r.valueLabels.append({int(i + 1), withLetter(letter, line.positions.value(i))});
            }
            variables_.append(r);
        }
        return;
    }
}

DataSet::Record DataSet::makeRecord(const QString &fileName, QByteArray utf8Lines)
{
    Record r;
    r.fileName = fileName.toUtf8();
    r.text = std::move(utf8Lines);
    return r;
}

DataSet::Lines DataSet::split(const Record &record)
{
    Lines out;
    const char *data = record.text.constData();
    const char *end = data + record.text.size();
    for (QByteArrayView &line : out) {
        if (data >= end)
            break;
        const void *found = std::memchr(data, '\n', size_t(end - data));
        const char *newline = found ? static_cast<const char *>(found) : end;
        line = QByteArrayView(data, newline - data);
        data = newline + 1;
    }
    return out;
}

QByteArrayView DataSet::text(const Variable &v, const Record &record, const Lines &lines)
{
    static const char kTicked[] = "1";
    static const char kUnticked[] = "0";
    if (v.kind == Kind::FileName)
        return record.fileName;
    const QByteArrayView raw = lines[size_t(v.line - 1)];
    switch (v.kind) {
    case Kind::FileName:
    case Kind::Text:
    case Kind::RankOrder:
        return raw;
    default:
        break;
    }
    if (record.unusable.test(size_t(v.line - 1)))
        return {};
    switch (v.kind) {
    case Kind::Number:
    case Kind::Code:
    case Kind::ListItem:
        return raw;
    case Kind::Flag:
        if (v.position >= raw.size())
            return {};
        return raw[v.position] == '1' ? QByteArrayView(kTicked, 1) : QByteArrayView(kUnticked, 1);
    case Kind::RankLetter:
        if (v.position >= raw.size())
            return {};
        return raw.sliced(v.position, 1);
    default:
        return {};
    }
}

std::optional<double> DataSet::number(const Variable &v, const Record &record, const Lines &lines)
{
    if (!v.isNumeric() || record.unusable.test(size_t(v.line - 1)))
        return std::nullopt;
    const QByteArrayView raw = lines[size_t(v.line - 1)];
    switch (v.kind) {
    case Kind::Number:
        return parseNumber(raw);
    case Kind::Flag:
        if (v.position >= raw.size())
            return std::nullopt;
        return raw[v.position] == '1' ? 1.0 : 0.0;
    case Kind::Code:
    case Kind::ListItem:
    case Kind::RankLetter: {
        const QByteArrayView code =
            v.kind == Kind::RankLetter ? (v.position < raw.size() ? raw.sliced(v.position, 1) : QByteArrayView()) : raw;
        if (code.isEmpty())
            return std::nullopt;
        for (qsizetype i = 0; i < v.codes.size(); ++i)
            if (code == v.codes[i])
                return double(v.values[i]);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> DataSet::parseNumber(QByteArrayView text)
{
    const std::optional<QByteArrayView> number = RecordCheck::numberText(text);
    if (!number)
        return std::nullopt;
    text = *number;
    // from_chars wants a digit on each side of the point: "8." and ".5" are
    // numbers to the people who type them.
    QByteArray padded;
    padded.reserve(text.size() + 2);
    if (text.front() == '.')
        padded += '0';
    padded += text;
    if (text.back() == '.')
        padded += '0';
    double value = 0;
    const auto [end, error] = std::from_chars(padded.constData(), padded.constData() + padded.size(), value);
    if (error != std::errc() || end != padded.constData() + padded.size())
        return std::nullopt;
    return value;
}

QString DataSet::typeName(const Variable &v)
{
    switch (v.kind) {
    case Kind::FileName:
        return QStringLiteral("文件名");
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
    }
    return {};
}

QString DataSet::valuesText(const Variable &v)
{
    QStringList parts;
    switch (v.kind) {
    case Kind::Code:
        for (qsizetype i = 0; i < v.valueLabels.size(); ++i)
            parts << (v.numericCodes
                          ? QString::number(v.values[i])
                          : QString::fromUtf8(v.codes[i]) + QLatin1Char('/') + QString::number(v.values[i])) +
                         QLatin1Char('=') + v.valueLabels[i].label;
        break;
    case Kind::RankLetter:
        for (qsizetype i = 0; i < v.valueLabels.size(); ++i)
            parts << QString::fromUtf8(v.codes[i]) + QLatin1Char('/') + QString::number(v.values[i]) +
                         QLatin1Char('=') + v.valueLabels[i].label;
        break;
    case Kind::ListItem:
    case Kind::Flag:
        for (const ValueLabel &l : v.valueLabels)
            parts << QString::number(l.value) + QLatin1Char('=') + l.label;
        break;
    default:
        break;
    }
    return parts.join(QStringLiteral("；"));
}
