// The survey definition as a whole: every line claimed once, names that a data
// set can use, code strings as long as their options, gates that exist, and
// every control the line map names present on its page.
#include "survey/LineMap.h"
#include "tests/support/TestMain.h"
#include "widgets/Page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>

using Survey::LineKind;

class SurveyDefinitionTest : public QObject {
    Q_OBJECT
private slots:
    void everyLineIsClaimedExactlyOnce();
    void variableNamesSuitEveryDataSetFormat();
    void labelsTellTheLinesApart();
    void codeStringsHaveOnePositionPerOption();
    void gatesNameARealControlAndPosition();
    void objectNamesAreUniqueWithinAPage();
    void everyControlOfTheMapIsOnItsPage();
};

void SurveyDefinitionTest::everyLineIsClaimedExactlyOnce()
{
    QList<int> claims(Survey::kLineCount + 1, 0);
    for (const Survey::Line &line : Survey::claimedLines()) {
        QVERIFY2(line.number >= 1 && line.number <= Survey::kLineCount, qPrintable(line.variable));
        ++claims[line.number];
    }
    for (int k = 1; k <= Survey::kLineCount; ++k) {
        QVERIFY2(claims[k] == 1, qPrintable(QStringLiteral("line %1 claimed %2 times").arg(k).arg(claims[k])));
        QCOMPARE(Survey::line(k).number, k);
        QVERIFY2(!Survey::line(k).label.isEmpty(), qPrintable(QString::number(k)));
        QVERIFY2(!Survey::line(k).controls.isEmpty(), qPrintable(QString::number(k)));
    }
}

void SurveyDefinitionTest::variableNamesSuitEveryDataSetFormat()
{
    // SPSS and Stata both take this shape; "file" is the data set's own first column.
    static const QRegularExpression shape(QStringLiteral("^[a-z][a-z0-9_]{0,31}$"));
    QSet<QString> seen{QStringLiteral("file")};
    for (const Survey::Line &line : Survey::lines()) {
        QStringList names{line.variable};
        names += line.positionVariables;
        for (const QString &name : names) {
            QVERIFY2(shape.match(name).hasMatch(), qPrintable(name));
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
        }
        QCOMPARE(Survey::lineByVariable(line.variable), &Survey::line(line.number));
    }
}

// A data set, its codebook and the report name each line by its label: two
// lines of one label would read as one. The foundation's registered capital
// is told from the enterprise's by its group.
void SurveyDefinitionTest::labelsTellTheLinesApart()
{
    QHash<QString, int> lineOf;
    for (const Survey::Line &line : Survey::lines()) {
        QVERIFY2(
            !lineOf.contains(line.label),
            qPrintable(
                QStringLiteral("lines %1 and %2: %3").arg(lineOf.value(line.label)).arg(line.number).arg(line.label)));
        lineOf.insert(line.label, line.number);
    }
    QCOMPARE(Survey::line(3).label, QStringLiteral("注册资金（万元）"));
    QCOMPARE(Survey::line(14).label, QStringLiteral("基金会注册资金（万元）"));
    QCOMPARE(Survey::line(14).question, QStringLiteral("基金会注册资金"));
    QCOMPARE(Survey::line(13).label, QStringLiteral("基金额（万元）"));
}

void SurveyDefinitionTest::codeStringsHaveOnePositionPerOption()
{
    for (const Survey::Line &line : Survey::lines()) {
        switch (line.kind) {
        case LineKind::OptionCodes:
            QCOMPARE(line.positions.size(), line.controls.size());
            QCOMPARE(line.positionVariables.size(), line.positions.size());
            break;
        case LineKind::Ranking:
            QCOMPARE(line.letters.size(), line.positions.size());
            QCOMPARE(line.positionVariables.size(), line.positions.size());
            break;
        case LineKind::SingleChoice:
        case LineKind::YesNoPair:
            QCOMPARE(line.choices.size(), line.controls.size());
            break;
        case LineKind::ListPick:
            QVERIFY(!line.items.isEmpty());
            break;
        default:
            QCOMPARE(line.controls.size(), 1);
        }
    }
}

void SurveyDefinitionTest::gatesNameARealControlAndPosition()
{
    int projectTypeGates = 0;
    for (const Survey::Line &line : Survey::lines()) {
        if (line.gate == Survey::GateKind::None)
            continue;
        const Survey::Line &gate = Survey::line(line.gateLine);
        QVERIFY2(gate.controls.contains(line.gateControl), qPrintable(line.variable));
        if (line.gatePosition >= 0) {
            QCOMPARE(gate.kind, LineKind::OptionCodes);
            QCOMPARE(gate.controls.value(line.gatePosition), line.gateControl);
        } else {
            QCOMPARE(gate.kind, LineKind::SingleChoice);
            QVERIFY(std::any_of(gate.choices.cbegin(), gate.choices.cend(),
                                [&](const Survey::Choice &c) { return c.code == line.gateValue; }));
        }
        if (line.gate == Survey::GateKind::ProjectType) {
            ++projectTypeGates;
            QCOMPARE(gate.number, 138);
        }
    }
    QCOMPARE(projectTypeGates, 10 * 2 + 1); // ten types of two figures, and the other type's name
}

void SurveyDefinitionTest::objectNamesAreUniqueWithinAPage()
{
    Shell shell;
    for (Page *page : shell.pages()) {
        QSet<QString> names;
        for (QObject *child : page->findChildren<QObject *>()) {
            const QString name = child->objectName();
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
                continue;
            QVERIFY2(!names.contains(name), qPrintable(page->objectName() + QLatin1Char(' ') + name));
            names.insert(name);
        }
    }
}

void SurveyDefinitionTest::everyControlOfTheMapIsOnItsPage()
{
    Shell shell;
    const QHash<Survey::PageId, Page *> pages = {
        {Survey::PageId::BasicInformation, shell.page(Survey::PageId::BasicInformation)},
        {Survey::PageId::Foundation, shell.page(Survey::PageId::Foundation)},
        {Survey::PageId::Performance, shell.page(Survey::PageId::Performance)},
        {Survey::PageId::Questionnaire, shell.page(Survey::PageId::Questionnaire)},
    };
    for (const Survey::Line &line : Survey::lines()) {
        Page *page = pages.value(line.page);
        QVERIFY(page);
        for (const QString &name : line.controls) {
            QWidget *control = page->findChild<QWidget *>(name);
            QVERIFY2(control, qPrintable(QStringLiteral("line %1: %2").arg(line.number).arg(name)));
            switch (line.kind) {
            case LineKind::FreeText:
            case LineKind::Number:
                QVERIFY(qobject_cast<QLineEdit *>(control));
                break;
            case LineKind::ListPick: {
                auto *list = qobject_cast<QComboBox *>(control);
                QVERIFY(list);
                QCOMPARE(list->count(), line.items.size());
                for (int i = 0; i < list->count(); ++i)
                    QCOMPARE(list->itemText(i), line.items[i]);
                break;
            }
            default:
                QVERIFY(qobject_cast<QAbstractButton *>(control));
            }
        }
        if (!line.gateControl.isEmpty())
            QVERIFY(page->findChild<QAbstractButton *>(line.gateControl));
    }
}

SURVEY_TEST_MAIN(SurveyDefinitionTest)
#include "tst_survey_definition.moc"
