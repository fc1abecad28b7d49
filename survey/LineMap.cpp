// Builds the line map by reading the pages' content tables once, in page order.
#include "survey/LineMap.h"

#include "survey/IntroContent.h"
#include "survey/PerformanceContent.h"
#include "survey/ProfileContent.h"
#include "survey/QuestionnaireContent.h"

#include <QHash>
#include <deque>
#include <stdexcept>
#include <vector>

namespace Survey {

namespace {

QString clean(QStringView text)
{
    return text.trimmed().toString();
}

// A label without the colon that leads to its field.
QString question(QStringView text)
{
    QString q = clean(text);
    while (q.endsWith(u'：') || q.endsWith(u':'))
        q.chop(1);
    return q;
}

// q01_a, q01_b, ... for the code positions of a line.
QStringList letterVariables(const QString &stem, qsizetype count)
{
    QStringList names;
    for (qsizetype i = 0; i < count; ++i)
        names << stem + QLatin1Char('_') + QChar(char16_t(u'a' + i));
    return names;
}

class Builder {
public:
    std::deque<Line> claims; // a deque keeps references to earlier claims valid

    void profilePage(PageId page, std::span<const Profile::Item> table);
    void performancePage();
    void figureRow(const Performance::FiguresTab &tab, const Performance::FigureRow &row, Line &codes);
    void questionnairePage();
    void qualifyEqualLabels();

private:
    // The captions of a profile page read so far, which name the lines after them.
    struct Captions {
        QString group;
        QString qualifier;
        QString label;    // the last label in the group: the question of the choices after it
        QString previous; // the last caption before a field: what names it
        bool previousIsLabel = false;
        bool note(const Profile::Item &item); // true for a group or a label, which writes no line
    };
    QHash<int, QString> qualifiers_; // line -> the qualifier of its group
    Line *claimItem(PageId page, const Profile::Item &item, const Profile::Item *next, Captions &captions);
    Line &claimField(PageId page, const Profile::Item &item, const Profile::Item *next, const QString &question);
    void addControl(Line &line, const Profile::Item &item, const QString &qualifier, const Profile::Item *opener);
    Line &claim(int number, PageId page, LineKind kind)
    {
        for (Line &line : claims)
            if (line.number == number && line.page == page && line.kind == kind)
                return line; // a line of several controls
        Line line;
        line.number = number;
        line.page = page;
        line.kind = kind;
        claims.push_back(line);
        return claims.back();
    }
};

void Builder::profilePage(PageId page, std::span<const Profile::Item> table)
{
    using Profile::Kind;
    Captions captions;
    QHash<Profile::Detail, const Profile::Item *> openers; // detail set -> the choice that opens it
    for (const Profile::Item &item : table)
        if (item.kind == Kind::Choice && item.opens != Profile::Detail::None)
            openers.insert(item.opens, &item);

    for (size_t i = 0; i < table.size(); ++i) {
        const Profile::Item &item = table[i];
        if (captions.note(item) || item.line == 0)
            continue;
        if (Line *line = claimItem(page, item, i + 1 < table.size() ? &table[i + 1] : nullptr, captions))
            addControl(*line, item, captions.qualifier, openers.value(item.detail));
    }
    for (Line &line : claims)
        if (line.page == page && line.kind == LineKind::OptionCodes)
            line.positionVariables = letterVariables(line.variable, line.positions.size());
}

bool Builder::Captions::note(const Profile::Item &item)
{
    switch (item.kind) {
    case Profile::Kind::Group:
        group = question(item.caption);
        qualifier = item.qualifier.toString();
        label.clear();
        previous = group;
        previousIsLabel = false;
        return true;
    case Profile::Kind::Label:
        label = question(item.caption);
        previous = label;
        previousIsLabel = true;
        return true;
    default:
        return false;
    }
}

// The line an item with a line writes, named by the captions before it; none
// for an item that writes no line of its own.
Line *Builder::claimItem(PageId page, const Profile::Item &item, const Profile::Item *next, Captions &captions)
{
    using Profile::Kind;
    Line *line = nullptr;
    switch (item.kind) {
    case Kind::Text:
    case Kind::Amount:
    case Kind::Count:
    case Kind::List:
        return &claimField(page, item, next,
                           captions.previousIsLabel ? captions.previous
                                                    : captions.group + QLatin1Char(' ') + captions.previous);
    case Kind::Choice:
    case Kind::Pair:
        line = &claim(item.line, page, item.kind == Kind::Choice ? LineKind::SingleChoice : LineKind::YesNoPair);
        line->question = captions.label.isEmpty() ? captions.group : captions.label;
        line->label = line->question;
        line->choices.append({item.code.toString(), clean(item.caption)});
        break;
    case Kind::Option:
        line = &claim(item.line, page, LineKind::OptionCodes);
        line->question = captions.group;
        line->label = captions.group;
        line->positions << clean(item.caption);
        break;
    default:
        return nullptr;
    }
    captions.previous = clean(item.caption);
    captions.previousIsLabel = false;
    return line;
}

// A control of the line: its name, the qualifier of its group, its variable,
// and the choice that opens it, if it is a detail field.
void Builder::addControl(Line &line, const Profile::Item &item, const QString &qualifier,
                         const Profile::Item *opener)
{
    line.controls << item.name.toString();
    if (!qualifier.isEmpty())
        qualifiers_.insert(line.number, qualifier);
    if (line.variable.isEmpty())
        line.variable = item.variable.toString();
    // A detail field is filled only once the choice that opens its set is chosen.
    if (opener) {
        line.gate = item.detail == Profile::Detail::OtherIndustry ? GateKind::OtherIndustry : GateKind::Detail;
        line.gateControl = opener->name.toString();
        line.gateLine = opener->line;
        line.gateValue = opener->code.toString();
    }
}

// A text, number or list field's line; a unit label right after the field
// joins its label.
Line &Builder::claimField(PageId page, const Profile::Item &item, const Profile::Item *next, const QString &question)
{
    using Profile::Kind;
    const LineKind kind = item.kind == Kind::Text   ? LineKind::FreeText
                          : item.kind == Kind::List ? LineKind::ListPick
                                                    : LineKind::Number;
    Line &line = claim(item.line, page, kind);
    line.question = question;
    line.label = question;
    if (next && next->kind == Kind::Unit) {
        line.unit = clean(next->caption);
        line.label += QStringLiteral("（%1）").arg(line.unit);
    }
    for (QStringView entry : item.items)
        line.items << entry.toString();
    return line;
}

void Builder::performancePage()
{
    const Performance::Content &page = Performance::content();
    const QString typesCaption = clean(page.projectTypeGroupCaption);
    Line codes;
    codes.number = page.projectTypeCodesLine;
    codes.page = PageId::Performance;
    codes.kind = LineKind::OptionCodes;
    codes.variable = page.projectTypeCodesVariable.toString();
    codes.question = typesCaption;
    codes.label = typesCaption;
    for (const Performance::FiguresTab &tab : page.tabs)
        for (const Performance::FigureRow &row : tab.rows)
            figureRow(tab, row, codes);
    codes.positionVariables = letterVariables(codes.variable, codes.positions.size());
    claims.push_back(codes);
}

// A project type's lines are filled only once its box is ticked.
void gateOnProjectType(Line &line, const Performance::FigureRow &row, const Line &codes, int position)
{
    if (!row.isProjectType())
        return;
    line.gate = GateKind::ProjectType;
    line.gateControl = row.checkBox.toString();
    line.gateLine = codes.number;
    line.gatePosition = position;
    line.gateValue = QStringLiteral("1");
}

// A row's two figures, the name of an other type, and its box among the project types.
void Builder::figureRow(const Performance::FiguresTab &tab, const Performance::FigureRow &row, Line &codes)
{
    const Performance::Content &page = Performance::content();
    const QString year2013 = page.year2013.toString();
    const QString year2014 = page.year2014.toString();
    const int position = int(codes.positions.size());
    const QString rowLabel = clean(row.label);
    // The tab's heading tells apart rows of the same name ("教育", "环保", "其他").
    const QString question = clean(tab.subHeading) + QLatin1Char(' ') +
                             (row.isProjectType() ? codes.question + QLatin1Char(' ') + rowLabel : rowLabel);
    if (row.nameField.size()) {
        Line &name = claim(row.nameLine, PageId::Performance, LineKind::FreeText);
        name.variable = row.nameVariable.toString();
        name.question = clean(page.otherTypeNameLabel);
        name.label = name.question;
        name.controls << row.nameField.toString();
        gateOnProjectType(name, row, codes, position);
    }
    const struct {
        int number;
        QStringView field;
        const QString &year;
    } figures[] = {{row.line2013, row.field2013, year2013}, {row.line2014, row.field2014, year2014}};
    for (const auto &figure : figures) {
        Line &line = claim(figure.number, PageId::Performance, LineKind::Number);
        line.variable = row.variable.toString() + QLatin1Char('_') + figure.year.left(4);
        line.question = question;
        line.year = figure.year;
        line.unit = row.unit.toString();
        line.label = QStringLiteral("%1 %2（%3）").arg(question, line.year, line.unit);
        line.controls << figure.field.toString();
        gateOnProjectType(line, row, codes, position);
    }
    if (row.isProjectType()) {
        codes.positions << rowLabel;
        codes.controls << row.checkBox.toString();
    }
}

void Builder::questionnairePage()
{
    int number = 0;
    for (const Questionnaire::Tab &tab : Questionnaire::tabs()) {
        for (const Questionnaire::Question &q : tab.questions) {
            ++number;
            const QString stem = QStringLiteral("q%1").arg(number, 2, 10, QLatin1Char('0'));
            const QString caption = question(q.caption);
            Line &codes =
                claim(q.codeLine, PageId::Questionnaire, q.isRanked() ? LineKind::Ranking : LineKind::OptionCodes);
            codes.question = caption;
            codes.label = caption;
            for (const Questionnaire::Option &option : q.options) {
                codes.positions << clean(option.caption);
                codes.controls << option.box.toString();
            }
            if (q.isRanked()) {
                codes.variable = stem + QStringLiteral("_order");
                codes.letters = q.rankLetters.toString();
                for (qsizetype rank = 1; rank <= codes.letters.size(); ++rank)
                    codes.positionVariables << stem + QStringLiteral("_rank%1").arg(rank);
                codes.rankOfVariables = letterVariables(stem + QStringLiteral("_rank_of"), codes.positions.size());
            } else {
                codes.variable = stem;
                codes.positionVariables = letterVariables(stem, codes.positions.size());
            }
            if (q.groupBox == Questionnaire::kThreeChoiceGroup)
                codes.maxTicks = Questionnaire::kThreeChoiceLimit;

            if (q.hasOtherField()) {
                Line &other = claim(q.otherLine, PageId::Questionnaire, LineKind::FreeText);
                other.variable = stem + QStringLiteral("_other");
                other.question = caption;
                other.label = caption + QLatin1Char(' ') + codes.positions.last();
                other.controls << q.otherField.toString();
                other.gate = GateKind::OtherOption;
                other.gateControl = codes.controls.last();
                other.gateLine = q.codeLine;
                other.gatePosition = int(codes.positions.size()) - 1;
                other.gateValue = QStringLiteral("1");
            }
        }
    }
}

// Two lines of one label could not be told apart in a data set, a codebook
// or a report: a line whose group has a qualifier takes it in front
// ("注册资金（万元）" of the foundation becomes "基金会注册资金（万元）").
void Builder::qualifyEqualLabels()
{
    QHash<QString, int> uses;
    for (const Line &line : claims)
        ++uses[line.label];
    for (Line &line : claims) {
        const QString qualifier = qualifiers_.value(line.number);
        if (qualifier.isEmpty() || uses.value(line.label) < 2)
            continue;
        line.question = qualifier + line.question;
        line.label = qualifier + line.label;
    }
}

struct Map {
    QList<Line> claims;
    std::vector<Line> byNumber;
    QHash<QString, int> byVariable;
};

const Map &map()
{
    static const Map built = [] {
        Builder builder;
        builder.profilePage(PageId::BasicInformation, Profile::BasicInformation::items());
        builder.profilePage(PageId::Foundation, Profile::Foundation::items());
        builder.performancePage();
        builder.questionnairePage();
        builder.qualifyEqualLabels();
        Map m;
        m.claims = QList<Line>(builder.claims.begin(), builder.claims.end());
        m.byNumber.resize(kLineCount);
        for (const Line &line : m.claims) {
            if (line.number >= 1 && line.number <= kLineCount && m.byNumber[size_t(line.number - 1)].number == 0)
                m.byNumber[size_t(line.number - 1)] = line;
            m.byVariable.insert(line.variable, line.number);
        }
        return m;
    }();
    return built;
}

} // namespace

std::span<const Line> lines()
{
    return map().byNumber;
}

const QList<Line> &claimedLines()
{
    return map().claims;
}

const Line &line(int number)
{
    if (number < 1 || number > kLineCount)
        throw std::out_of_range("no line " + std::to_string(number));
    return map().byNumber[size_t(number - 1)];
}

const Line *lineByVariable(QStringView variable)
{
    const auto it = map().byVariable.constFind(variable.toString());
    return it == map().byVariable.cend() ? nullptr : &line(it.value());
}

QString pageObjectName(PageId page)
{
    switch (page) {
    case PageId::Intro:
        return Intro::kPageName.toString();
    case PageId::BasicInformation:
        return Profile::BasicInformation::kPageName.toString();
    case PageId::Foundation:
        return Profile::Foundation::kPageName.toString();
    case PageId::Performance:
        return Performance::content().pageName.toString();
    case PageId::Questionnaire:
        return Questionnaire::kPageName.toString();
    }
    return {};
}

} // namespace Survey
