// Checks of a record's lines against the line map. The checks work on UTF-8:
// the collector runs them on thousands of files and keeps its lines so.
#include "survey/RecordCheck.h"

#include "survey/LineMap.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>

namespace RecordCheck {
namespace {

using Survey::GateKind;
using Survey::Line;
using Survey::LineKind;

// The line map's sets in UTF-8, made once.
struct Sets {
    QList<QByteArray> codes; // SingleChoice, YesNoPair: the codes; ListPick: the items
    QByteArray letters;      // Ranking
    QByteArray gateValue;
};

const std::array<Sets, Survey::kLineCount> &sets()
{
    static const std::unique_ptr<std::array<Sets, Survey::kLineCount>> table = [] {
        auto t = std::make_unique<std::array<Sets, Survey::kLineCount>>();
        for (const Line &line : Survey::lines()) {
            Sets &s = (*t)[size_t(line.number - 1)];
            for (const Survey::Choice &choice : line.choices)
                s.codes << choice.code.toUtf8();
            for (const QString &item : line.items)
                s.codes << item.toUtf8();
            s.letters = line.letters.toUtf8();
            s.gateValue = line.gateValue.toUtf8();
        }
        return t;
    }();
    return *table;
}

bool inSet(const QList<QByteArray> &set, QByteArrayView text)
{
    return std::any_of(set.begin(), set.end(), [text](const QByteArray &member) { return member == text; });
}

// A blank around a number: space, tab, or the ideographic space (UTF-8 E3 80 80).
qsizetype blankAtFront(QByteArrayView text)
{
    if (text.startsWith(' ') || text.startsWith('\t'))
        return 1;
    return text.startsWith("\xE3\x80\x80") ? 3 : 0;
}

qsizetype blankAtBack(QByteArrayView text)
{
    if (text.endsWith(' ') || text.endsWith('\t'))
        return 1;
    return text.endsWith("\xE3\x80\x80") ? 3 : 0;
}

// Most figures are digits and perhaps a point, perhaps with a blank around:
// their value is the whole number of their digits over a power of ten, both
// exact in a double, and the one division rounds as from_chars does. Read in
// one pass; anything else is left to the full rule.
std::optional<double> shortNumber(QByteArrayView text)
{
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr quint64 kExactWhole = quint64(1) << 53;
    constexpr qsizetype kMostDigits = 19; // no overflow of 64 bits
    const char *at = text.data(), *end = at + text.size();
    while (at < end && (*at == ' ' || *at == '\t'))
        ++at;
    while (end > at && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    const char *first = at, *point = nullptr;
    quint64 whole = 0;
    for (; at < end; ++at) {
        const unsigned digit = unsigned(*at - '0');
        if (digit < 10)
            whole = whole * 10 + digit;
        else if (*at == '.' && !point)
            point = at;
        else
            return std::nullopt;
    }
    const qsizetype digits = (end - first) - (point ? 1 : 0);
    const qsizetype decimals = point ? end - point - 1 : 0;
    if (digits == 0 || digits > kMostDigits || whole > kExactWhole || decimals >= qsizetype(std::size(kPowersOfTen)))
        return std::nullopt;
    return double(whole) / kPowersOfTen[decimals];
}

bool isNumberUtf8(QByteArrayView text)
{
    return RecordCheck::numberValue(text).has_value();
}

// A code string: one "1" or "9" per position.
bool isCodeString(const Line &line, QByteArrayView text)
{
    if (text.size() != line.positions.size())
        return false;
    for (char c : text)
        if (c != '1' && c != '9')
            return false;
    return true;
}

QString codeList(const Line &line)
{
    QStringList codes;
    for (const Survey::Choice &choice : line.choices)
        codes << choice.code;
    return codes.join(QStringLiteral("、"));
}

// A ranking: letters of its set, none twice.
bool isRanking(const Sets &set, QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!set.letters.contains(text[i]) || text.first(i).contains(text[i]))
            return false;
    return true;
}

// Whether the line can hold the value at all. Empty fits every line but a
// code string, which the program always writes whole.
bool fits(const Line &line, const Sets &set, QByteArrayView text)
{
    switch (line.kind) {
    case LineKind::FreeText:
        return true;
    case LineKind::Number:
        return text.isEmpty() || isNumberUtf8(text);
    case LineKind::SingleChoice:
    case LineKind::YesNoPair:
    case LineKind::ListPick:
        return text.isEmpty() || inSet(set.codes, text);
    case LineKind::OptionCodes:
        return isCodeString(line, text);
    case LineKind::Ranking:
        return isRanking(set, text);
    }
    return false;
}

class Checker {
public:
    explicit Checker(std::span<const QByteArrayView> lines) : lines_(lines) {}

    QList<Problem> run()
    {
        const std::array<Sets, Survey::kLineCount> &all = sets();
        for (const Line &line : Survey::lines()) {
            const QByteArrayView text = lines_[size_t(line.number - 1)];
            // A free text without a gate, the most common line, has nothing to check.
            if (line.kind == LineKind::FreeText && line.gate == GateKind::None)
                continue;
            checkValue(line, all[size_t(line.number - 1)], text);
            checkGate(line, text);
        }
        return out_;
    }

    const std::array<Gate, Survey::kLineCount> &lineGates()
    {
        if (!gates_)
            gates_ = gates(lines_);
        return *gates_;
    }

    const Numbers &lineNumbers() const { return numbers_; }

private:
    void add(const Line &line, ProblemKind kind, const QString &what, QByteArrayView raw)
    {
        const QString about = line.label.isEmpty() ? line.question : line.label;
        out_.append(
            {line.number, kind, about.isEmpty() ? what : about + QStringLiteral("：") + what, QString::fromUtf8(raw)});
    }

    void checkValue(const Line &line, const Sets &set, QByteArrayView text)
    {
        if (!(line.kind == LineKind::Number ? fitsNumber(line, text) : fits(line, set, text))) {
            addSpoilt(line, text);
            return;
        }
        if (line.kind != LineKind::OptionCodes)
            return;
        const int ticks = int(std::count(text.begin(), text.end(), '1'));
        if (line.maxTicks > 0 && ticks > line.maxTicks)
            add(line, ProblemKind::TooManyTicks,
                QStringLiteral("最多可选 %1 项，却选了 %2 项").arg(line.maxTicks).arg(ticks), text);
    }

    // A number line fits as fits() says, its value kept for the data checks.
    bool fitsNumber(const Line &line, QByteArrayView text)
    {
        std::optional<double> &value = numbers_[size_t(line.number - 1)];
        value = RecordCheck::numberValue(text);
        return text.isEmpty() || value.has_value();
    }

    // A value the line cannot hold, in the words of its kind.
    void addSpoilt(const Line &line, QByteArrayView text)
    {
        const QString shown = quoted(QString::fromUtf8(text));
        switch (line.kind) {
        case LineKind::FreeText:
            return;
        case LineKind::Number:
            if (RecordCheck::numberText(text))
                add(line, ProblemKind::NumberOutOfRange, shown + QStringLiteral("数值超出范围"), text);
            else
                add(line, ProblemKind::NotANumber, shown + QStringLiteral("不是数字"), text);
            return;
        case LineKind::SingleChoice:
        case LineKind::YesNoPair:
            add(line, ProblemKind::BadCode, QStringLiteral("代码%1不在可选的代码（%2）之中").arg(shown, codeList(line)),
                text);
            return;
        case LineKind::ListPick:
            add(line, ProblemKind::UnknownListItem, shown + QStringLiteral("不是列表中的一项"), text);
            return;
        case LineKind::OptionCodes:
            add(line, ProblemKind::BadCode,
                QStringLiteral("选项代码应为 %1 位、只含 1 和 9，实为%2").arg(line.positions.size()).arg(shown), text);
            return;
        case LineKind::Ranking:
            add(line, ProblemKind::BadRanking,
                QStringLiteral("排序%1含有 %2 以外的字母或重复的字母").arg(shown, line.letters), text);
            return;
        }
    }

    void checkGate(const Line &line, QByteArrayView text)
    {
        // Detail fields have no check of their own: the pages empty them on a
        // "否", and a stray text there misleads no analysis.
        if (line.gate == GateKind::None || line.gate == GateKind::Detail || text.isEmpty())
            return;
        if (!gates_)
            gates_ = gates(lines_);
        if ((*gates_)[size_t(line.number - 1)] != Gate::Shut)
            return;
        const Line &gateLine = Survey::line(line.gateLine);
        const QString gateCaption = line.gatePosition >= 0 && line.gatePosition < gateLine.positions.size()
                                        ? gateLine.positions[line.gatePosition].trimmed()
                                        : QString();
        const QString filled = quoted(QString::fromUtf8(text));
        switch (line.gate) {
        case GateKind::None:
        case GateKind::Detail:
            return;
        case GateKind::ProjectType:
            add(line, ProblemKind::UngatedFigure,
                QStringLiteral("项目类型%1未勾选，却填了%2").arg(quoted(gateCaption), filled), text);
            return;
        case GateKind::OtherOption:
            add(line, ProblemKind::OtherWithoutTick,
                QStringLiteral("选项%1未勾选，却填了说明%2").arg(quoted(gateCaption), filled), text);
            return;
        case GateKind::OtherIndustry:
            add(line, ProblemKind::OtherIndustry,
                QStringLiteral("所属行业不是 %1，却填了其他行业%2").arg(line.gateValue, filled), text);
            return;
        }
    }

    std::span<const QByteArrayView> lines_;
    std::optional<std::array<Gate, Survey::kLineCount>> gates_; // made when a filled line has a gate
    Numbers numbers_{};
    QList<Problem> out_;
};

} // namespace

QList<Problem> checkUtf8(std::span<const QByteArrayView> lines)
{
    if (lines.size() != size_t(Survey::kLineCount))
        return {};
    return Checker(lines).run();
}

QList<Problem> checkUtf8(std::span<const QByteArrayView> lines, std::array<Gate, Survey::kLineCount> &gatesOut,
                         Numbers &numbersOut)
{
    if (lines.size() != size_t(Survey::kLineCount))
        return {};
    Checker checker(lines);
    QList<Problem> problems = checker.run();
    gatesOut = checker.lineGates();
    numbersOut = checker.lineNumbers();
    return problems;
}

QList<Problem> check(const QStringList &lines)
{
    if (lines.size() != Survey::kLineCount)
        return {};
    std::array<QByteArray, Survey::kLineCount> utf8;
    std::array<QByteArrayView, Survey::kLineCount> views;
    for (size_t i = 0; i < utf8.size(); ++i) {
        utf8[i] = lines[qsizetype(i)].toUtf8();
        views[i] = utf8[i];
    }
    return checkUtf8(views);
}

QString quoted(const QString &text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

bool isNumber(const QString &text)
{
    return isNumberUtf8(text.toUtf8());
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
    case ProblemKind::NumberOutOfRange:
        return false;
    }
    return true;
}

bool spoilsValue(ProblemKind kind)
{
    switch (kind) {
    case ProblemKind::BadCode:
    case ProblemKind::UnknownListItem:
    case ProblemKind::BadRanking:
    case ProblemKind::NotANumber:
    case ProblemKind::NumberOutOfRange:
        return true;
    case ProblemKind::TooManyTicks:
    case ProblemKind::UngatedFigure:
    case ProblemKind::OtherWithoutTick:
    case ProblemKind::OtherIndustry:
        return false;
    }
    return true;
}

Gate gate(const Line &line, std::span<const QByteArrayView> lines)
{
    return gates(lines)[size_t(line.number - 1)];
}

std::array<Gate, Survey::kLineCount> gates(std::span<const QByteArrayView> lines)
{
    const std::array<Sets, Survey::kLineCount> &all = sets();
    enum class Looked : char { Not, Fits, Spoilt };
    std::array<Looked, Survey::kLineCount> gateLines{};
    std::array<Gate, Survey::kLineCount> out{};
    for (const Line &line : Survey::lines()) {
        Gate &gate = out[size_t(line.number - 1)];
        if (line.gate == GateKind::None) {
            gate = Gate::Open;
            continue;
        }
        const size_t at = size_t(line.gateLine - 1);
        const QByteArrayView text = lines[at];
        if (gateLines[at] == Looked::Not)
            gateLines[at] = fits(Survey::line(line.gateLine), all[at], text) ? Looked::Fits : Looked::Spoilt;
        if (gateLines[at] == Looked::Spoilt) {
            gate = Gate::Unknown;
            continue;
        }
        const QByteArray &value = all[size_t(line.number - 1)].gateValue;
        const bool open = line.gatePosition < 0 ? text == value
                                                : line.gatePosition + value.size() <= text.size() &&
                                                      text.sliced(line.gatePosition, value.size()) == value;
        gate = open ? Gate::Open : Gate::Shut;
    }
    return out;
}

std::optional<QByteArrayView> numberText(QByteArrayView text)
{
    for (qsizetype n; (n = blankAtFront(text));)
        text = text.sliced(n);
    for (qsizetype n; (n = blankAtBack(text));)
        text.chop(n);
    int digits = 0, points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    return text;
}

std::optional<double> numberValue(QByteArrayView text)
{
    if (text.isEmpty())
        return std::nullopt;
    if (const std::optional<double> value = shortNumber(text))
        return value;
    const std::optional<QByteArrayView> number = numberText(text);
    if (!number)
        return std::nullopt;
    text = *number;
    // from_chars wants a digit on each side of the point: "8." and ".5" are
    // numbers to the people who type them.
    QVarLengthArray<char, 64> padded;
    if (text.front() == '.')
        padded.append('0');
    padded.append(text.data(), text.size());
    if (text.back() == '.')
        padded.append('0');
    double value = 0;
    const auto [end, error] = std::from_chars(padded.data(), padded.data() + padded.size(), value);
    if (error != std::errc() || end != padded.data() + padded.size())
        return std::nullopt;
    return value;
}

} // namespace RecordCheck
