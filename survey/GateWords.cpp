// Worded from the gate's own line: its question turned into the negative
// ("是否…" → "未…") where the gate is its "是", else the choice or box left
// unchosen, named by its caption.
#include "survey/GateWords.h"

#include "survey/LineMap.h"

namespace Survey {
namespace {

// A question's leading number ("2.所属行业" → "所属行业"): it means nothing out
// of its page. Read by hand: no regular expression, whose matcher keeps a
// stack for each thread, as this runs on the merge's threads too.
QString withoutNumber(const QString &question)
{
    const QString text = question.trimmed();
    qsizetype i = 0;
    while (i < text.size() && text[i].isDigit())
        ++i;
    if (i == 0)
        return text;
    qsizetype mark = i;
    while (mark < text.size() && text[mark].isSpace())
        ++mark;
    if (mark == text.size() || !QStringView(u".．、").contains(text[mark]))
        return text;
    return text.mid(mark + 1).trimmed();
}

} // namespace

QString notApplicableWhen(const Line &line)
{
    if (line.gate == GateKind::None)
        return {};
    const Line &gate = Survey::line(line.gateLine);
    if (line.gatePosition >= 0)
        return QStringLiteral("未勾选“%1”时不适用").arg(gate.positions.value(line.gatePosition).trimmed());
    QString caption = line.gateValue;
    for (const Choice &choice : gate.choices)
        if (choice.code == line.gateValue)
            caption = choice.caption.trimmed();
    const QString question = withoutNumber(gate.question);
    const qsizetype whether = question.indexOf(QStringLiteral("是否"));
    if (caption == QStringLiteral("是") && whether >= 0)
        return QString(question).replace(whether, 2, QStringLiteral("未")) + QStringLiteral("时不适用");
    return QStringLiteral("%1未选“%2”时不适用").arg(question, caption);
}

} // namespace Survey
