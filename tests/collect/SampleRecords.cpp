// Random answer records.
#include "tests/collect/SampleRecords.h"

#include "survey/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "survey/ResultFileWriter.h"

namespace SampleRecords {
namespace {

using Survey::GateKind;
using Survey::Line;
using Survey::LineKind;

const QString kWords[] = {
    QStringLiteral("北京"),         QStringLiteral("上海"), QStringLiteral("科技"), QStringLiteral("发展"),
    QStringLiteral("公益"),         QStringLiteral("基金"), QStringLiteral("社区"), QStringLiteral("环保"),
    QStringLiteral("报告"),         QStringLiteral("网站"), QStringLiteral("养老"), QStringLiteral("服务"),
    QStringLiteral("浙江省杭州市"), QStringLiteral("路"),   QStringLiteral("号"),   QStringLiteral("中心"),
};
const QString kTricky[] = {
    QStringLiteral(","), QStringLiteral("\""),     QStringLiteral(" "),  QStringLiteral("="),
    QStringLiteral("'"), QStringLiteral("；"),     QStringLiteral("€"),  QStringLiteral("　"),
    QStringLiteral("|"), QStringLiteral("A&B<c>"), QStringLiteral("鑫"), QStringLiteral("\t"),
};

QString words(QRandomGenerator &rng, int count, Texts texts)
{
    QString out;
    for (int i = 0; i < count; ++i) {
        if (texts == Texts::Tricky && rng.bounded(3) == 0)
            out += kTricky[rng.bounded(int(std::size(kTricky)))];
        else
            out += kWords[rng.bounded(int(std::size(kWords)))];
    }
    return out;
}

// Line 1 names the file: what this system refuses in a file name is left out
// (nothing on Linux; on Windows the quote, the bar, the angle brackets and the tab).
QString fileNameSafe(const QString &text)
{
    QString kept;
    for (QChar c : text)
        if (FileSystemCalls::isPlainFileName(QString(c)))
            kept += c;
    return kept;
}

QString number(QRandomGenerator &rng)
{
    switch (rng.bounded(5)) {
    case 0:
        return QString::number(rng.bounded(100));
    case 1:
        return QString::number(rng.bounded(100000)) + QLatin1Char('.') + QString::number(rng.bounded(10));
    case 2:
        return QStringLiteral("0.") + QString::number(rng.bounded(1, 100));
    default:
        return QString::number(rng.bounded(1, 5000000));
    }
}

bool gateOpen(const Line &line, const AnswerRecord &record)
{
    const QString &gate = record.get(line.gateLine);
    if (line.gatePosition < 0)
        return gate == line.gateValue;
    return gate.mid(line.gatePosition, line.gateValue.size()) == line.gateValue;
}

} // namespace

AnswerRecord make(QRandomGenerator &rng, int index, Texts texts)
{
    AnswerRecord record;
    // The code lines first: line 138 opens lines before it (the project
    // figures). The one other gate, industry 19 for line 8, comes before its line.
    for (const Line &line : Survey::lines()) {
        QString text;
        switch (line.kind) {
        case LineKind::OptionCodes: {
            int ticks = 0;
            for (qsizetype i = 0; i < line.positions.size(); ++i) {
                const bool tick = rng.bounded(3) == 0 && (line.maxTicks == 0 || ticks < line.maxTicks);
                ticks += tick;
                text += tick ? QLatin1Char('1') : QLatin1Char('9');
            }
            break;
        }
        case LineKind::Ranking: {
            QString letters = line.letters;
            const int count = int(rng.bounded(int(letters.size()) + 1));
            for (int i = 0; i < count; ++i) {
                const QChar letter = letters.at(qsizetype(rng.bounded(int(letters.size()))));
                text += letter;
                letters.remove(letter);
            }
            break;
        }
        default:
            continue;
        }
        record.set(line.number, text);
    }
    for (const Line &line : Survey::lines()) {
        if (line.kind == LineKind::OptionCodes || line.kind == LineKind::Ranking)
            continue;
        if (line.gate != GateKind::None && !gateOpen(line, record))
            continue;
        const bool empty = line.number != 1 && rng.bounded(6) == 0;
        if (empty)
            continue;
        QString text;
        switch (line.kind) {
        case LineKind::FreeText:
            text = line.number == 1 ? fileNameSafe(words(rng, 2, texts)) + QStringLiteral("%1有限公司").arg(index)
                                    : words(rng, 1 + int(rng.bounded(6)), texts);
            break;
        case LineKind::Number:
            text = number(rng);
            break;
        case LineKind::SingleChoice:
        case LineKind::YesNoPair:
            text = line.choices[rng.bounded(int(line.choices.size()))].code;
            break;
        case LineKind::ListPick:
            text = line.items[rng.bounded(int(line.items.size()))];
            break;
        default:
            break;
        }
        record.set(line.number, text);
    }
    return record;
}

QString write(const AnswerRecord &record, const QString &folder)
{
    ResultFileWriter writer(record, FileSystemCalls::system(), folder);
    return writer.write();
}

QStringList lines(const AnswerRecord &record)
{
    QStringList out;
    for (int k = 1; k <= AnswerRecord::kSlotCount; ++k)
        out << record.get(k);
    return out;
}

QStringList blankLines(const QString &name)
{
    QStringList lines(139);
    lines[0] = name;
    auto nines = [](int n) { return QString(n, QLatin1Char('9')); };
    lines[9 - 1] = nines(6);
    const int lengths[] = {6, 6, 9, 6, 6, 10, 9, 8, 6, 4, 7, 5, 5, 5, 5, 7, 7, 7, 5, 7};
    for (int i = 0; i < 20; ++i)
        lines[65 - 1 + i] = nines(lengths[i]);
    lines[86 - 1] = nines(6);
    lines[87 - 1] = nines(9);
    lines[138 - 1] = nines(10);
    return lines;
}

} // namespace SampleRecords
