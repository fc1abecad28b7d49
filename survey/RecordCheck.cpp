// Checks of a record's lines against the line map.
#include "RecordCheck.h"

#include "LineMap.h"

namespace RecordCheck {
namespace {

using Survey::GateKind;
using Survey::Line;
using Survey::LineKind;

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

// A code string: one "1" or "9" per position.
bool isCodeString(const Line &line, const QString &text)
{
    if (text.size() != line.positions.size())
        return false;
    for (QChar c : text)
        if (c != QLatin1Char('1') && c != QLatin1Char('9'))
            return false;
    return true;
}

QString quoted(const QString &text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

QString codeList(const Line &line)
{
    QStringList codes;
    for (const Survey::Choice &choice : line.choices)
        codes << choice.code;
    return codes.join(QStringLiteral("、"));
}

// Whether the gate of a filled line is open. A gate line that is itself
// malformed opens nothing and closes nothing: it has its own problem already.
bool gateOpen(const Line &line, const QStringList &lines, bool &known)
{
    known = true;
    const QString &gate = lines[line.gateLine - 1];
    if (line.gatePosition < 0)
        return gate == line.gateValue;
    const Line &gateLine = Survey::line(line.gateLine);
    if (gateLine.kind == LineKind::OptionCodes && !isCodeString(gateLine, gate)) {
        known = false;
        return true;
    }
    return line.gatePosition < gate.size() && gate.mid(line.gatePosition, line.gateValue.size()) == line.gateValue;
}

void add(QList<Problem> &out, const Line &line, ProblemKind kind, const QString &what, const QString &raw)
{
    const QString about = line.label.isEmpty() ? line.question : line.label;
    out.append({line.number, kind, about.isEmpty() ? what : about + QStringLiteral("：") + what, raw});
}

void checkValue(QList<Problem> &out, const Line &line, const QString &text)
{
    switch (line.kind) {
    case LineKind::FreeText:
        return;
    case LineKind::Number:
        if (!text.isEmpty() && !isNumber(text))
            add(out, line, ProblemKind::NotANumber, quoted(text) + QStringLiteral("不是数字"), text);
        return;
    case LineKind::SingleChoice:
    case LineKind::YesNoPair:
        if (text.isEmpty())
            return;
        for (const Survey::Choice &choice : line.choices)
            if (choice.code == text)
                return;
        add(out, line, ProblemKind::BadCode,
            QStringLiteral("代码%1不在可选的代码（%2）之中").arg(quoted(text), codeList(line)), text);
        return;
    case LineKind::ListPick:
        if (!text.isEmpty() && !line.items.contains(text))
            add(out, line, ProblemKind::UnknownListItem, quoted(text) + QStringLiteral("不是列表中的一项"), text);
        return;
    case LineKind::OptionCodes: {
        if (!isCodeString(line, text)) {
            add(out, line, ProblemKind::BadCode,
                QStringLiteral("选项代码应为 %1 位、只含 1 和 9，实为%2").arg(line.positions.size()).arg(quoted(text)),
                text);
            return;
        }
        const int ticks = int(text.count(QLatin1Char('1')));
        if (line.maxTicks > 0 && ticks > line.maxTicks)
            add(out, line, ProblemKind::TooManyTicks,
                QStringLiteral("最多可选 %1 项，却选了 %2 项").arg(line.maxTicks).arg(ticks), text);
        return;
    }
    case LineKind::Ranking: {
        bool bad = false;
        for (qsizetype i = 0; i < text.size() && !bad; ++i)
            bad = !line.letters.contains(text[i]) || text.indexOf(text[i]) != i;
        if (bad)
            add(out, line, ProblemKind::BadRanking,
                QStringLiteral("排序%1含有 %2 以外的字母或重复的字母").arg(quoted(text), line.letters), text);
        return;
    }
    }
}

void checkGate(QList<Problem> &out, const Line &line, const QString &text, const QStringList &lines)
{
    if (line.gate == GateKind::None || text.isEmpty())
        return;
    bool known = true;
    if (gateOpen(line, lines, known) || !known)
        return;
    const Line &gateLine = Survey::line(line.gateLine);
    const QString gateCaption = line.gatePosition >= 0 && line.gatePosition < gateLine.positions.size()
                                    ? gateLine.positions[line.gatePosition].trimmed()
                                    : QString();
    switch (line.gate) {
    case GateKind::None:
    case GateKind::Detail:
        return;
    case GateKind::ProjectType:
        add(out, line, ProblemKind::UngatedFigure,
            QStringLiteral("项目类型%1未勾选，却填了%2").arg(quoted(gateCaption), quoted(text)), text);
        return;
    case GateKind::OtherOption:
        add(out, line, ProblemKind::OtherWithoutTick,
            QStringLiteral("选项%1未勾选，却填了说明%2").arg(quoted(gateCaption), quoted(text)), text);
        return;
    case GateKind::OtherIndustry:
        add(out, line, ProblemKind::OtherIndustry,
            QStringLiteral("所属行业不是 %1，却填了其他行业%2").arg(line.gateValue, quoted(text)), text);
        return;
    }
}

} // namespace

QList<Problem> check(const QStringList &lines)
{
    QList<Problem> out;
    if (lines.size() != Survey::kLineCount)
        return out;
    for (const Line &line : Survey::lines()) {
        const QString &text = lines[line.number - 1];
        checkValue(out, line, text);
        checkGate(out, line, text, lines);
    }
    return out;
}

bool isNumber(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    int digits = 0, points = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.'))
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

bool blocksReopening(ProblemKind kind)
{
    switch (kind) {
    case ProblemKind::BadCode:
    case ProblemKind::UnknownListItem:
    case ProblemKind::TooManyTicks:
    case ProblemKind::UngatedFigure:
    case ProblemKind::BadRanking:
        return true;
    case ProblemKind::OtherWithoutTick:
    case ProblemKind::OtherIndustry:
    case ProblemKind::NotANumber:
        return false;
    }
    return true;
}

} // namespace RecordCheck
