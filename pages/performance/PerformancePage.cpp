// Builds the performance page's three tabs of figures from its table, opens a
// project type's fields when it is ticked, and stores the page's lines.
#include "pages/performance/PerformancePage.h"

#include "survey/AnswerRecord.h"
#include "survey/Captions.h"
#include "survey/PerformanceContent.h"
#include "widgets/Fonts.h"
#include "widgets/GlyphButton.h"
#include "widgets/NumericEntryFilter.h"
#include "widgets/PageMetrics.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace {

using Performance::FigureRow;
using Performance::FiguresTab;

// Geometry, in tab sheet coordinates.
constexpr int kSheetWidth = 793;
constexpr int kLabelX = 30;
constexpr int kLabelWidth = 300;
constexpr int kUnitX = 340;
constexpr int kUnitWidth = 60;
constexpr int kField2013X = 420;
constexpr int kField2014X = 600;
constexpr int kFieldWidth = 150;
constexpr int kRuleLeft = 20;
constexpr int kRuleRight = 770;
constexpr int kFirstRowY = 88;
constexpr int kRulePitch = 40; // tabs with rules between rows
constexpr int kPlainPitch = 30;
constexpr int kRowHeight = 24;
constexpr int kGroupX = 20;
constexpr int kGroupWidth = 760;
constexpr int kGroupGap = 8;
constexpr int kGroupFirstRowY = 26;
constexpr int kGroupPitch = 26;
constexpr int kGroupRowHeight = 22;
constexpr int kOtherBoxWidth = 56;
constexpr int kButtonY = 512;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 34;
constexpr int kButtonGap = 12;
constexpr int kButtonRightMargin = 20;
constexpr int kHeaderY = 56;
constexpr QRect kSubHeading(0, 6, kSheetWidth, 42);
constexpr QRect kHeading(8, 4, 300, 32);
constexpr int kTabsHeight = 593; // the tabs fill the page below the heading
constexpr int kRuleThickness = 2;
constexpr int kGroupBottomPadding = 8;
constexpr int kOtherNameGap = 4;
constexpr int kOtherNameRightMargin = 14;
constexpr int kBoxRightMargin = 10;

// Font sizes in pixels.
constexpr int kSubHeadingPixels = 29;
constexpr int kColumnHeaderPixels = 16;
constexpr int kRowLabelPixels = 14;
constexpr int kFigurePixels = 13;
constexpr int kProjectFigurePixels = 12;

QString text(QStringView view)
{
    return view.toString();
}

QLabel *makeLabel(QWidget *parent, const QString &caption, const QFont &font, QRect geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(caption, parent);
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

// A screen reader names a figure by its row and year, and tells its unit.
QLineEdit *makeNumberField(QWidget *parent, QStringView objectName, const QString &row, const QString &year,
                           QStringView unit, const QFont &font, QRect geometry)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(objectName.toString());
    field->setAccessibleName(row + QLatin1Char(' ') + year);
    field->setAccessibleDescription(text(unit));
    field->setFont(font);
    field->setGeometry(geometry);
    NumericEntryFilter::install(field, NumericEntryFilter::Mode::Decimal);
    return field;
}

// A sunken line between two rows.
void addRule(QWidget *sheet, int y)
{
    auto *rule = new QFrame(sheet);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(kRuleLeft, y, kRuleRight - kRuleLeft, kRuleThickness);
}

GlyphButton *makeButton(QWidget *parent, Glyph glyph, QStringView caption, QStringView objectName, int x)
{
    auto *button = new GlyphButton(glyph, caption.toString(), parent);
    button->setObjectName(objectName.toString());
    button->setGeometry(x, kButtonY, kButtonWidth, kButtonHeight);
    return button;
}

} // namespace

// The tab order is the order things are built in, whatever their places on screen.
struct PerformancePage::FocusChain {
    QWidget *end = nullptr;
    void add(QWidget *next)
    {
        if (end)
            setTabOrder(end, next);
        end = next;
    }
};

PerformancePage::PerformancePage(AnswerRecord &record)
    : TabbedPage(PageMetrics::kPerformance, Page::Centring::Desktop, Performance::content().tabsName), record_(record),
      labelFont_(Fonts::pixelFont(Fonts::kYaHei, kRowLabelPixels)),
      figureFont_(Fonts::pixelFont(Fonts::kSong, kFigurePixels)),
      projectFigureFont_(Fonts::pixelFont(Fonts::kYaHei, kProjectFigurePixels))
{
    const Performance::Content &page = Performance::content();
    setObjectName(page.pageName.toString());

    auto *heading = makeLabel(this, text(page.heading),
                              Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kSectionHeading, true), kHeading);
    heading->setObjectName(page.headingName.toString());

    QTabWidget *tabs = tabWidget();
    tabs->setGeometry(0, PageMetrics::kPerformance.height() - kTabsHeight, PageMetrics::kPerformance.width(),
                      kTabsHeight);
    tabs->tabBar()->setFont(Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kTabTitle));

    for (const FiguresTab &content : page.tabs)
        buildTab(content);

    std::sort(storedFields_.begin(), storedFields_.end(),
              [](const StoredField &a, const StoredField &b) { return a.line < b.line; });

    closeProjectTypes();
    // The first figure takes the keys when the page first appears.
    showTab(0);
}

void PerformancePage::buildTab(const FiguresTab &content)
{
    auto *sheet = new QWidget;
    sheet->setObjectName(content.sheet.toString());
    tabWidget()->addTab(sheet, text(content.caption));
    addColumnHeadings(sheet, content);

    // The tab with the project types packs its rows closer, without rules, to
    // leave room for their group below.
    const bool packed =
        std::any_of(content.rows.begin(), content.rows.end(), [](const FigureRow &row) { return row.isProjectType(); });
    const int pitch = packed ? kPlainPitch : kRulePitch;
    FocusChain chain;
    QGroupBox *group = nullptr;
    QLineEdit *firstField = nullptr;
    int plainRows = 0;
    for (const FigureRow &row : content.rows) {
        Figures figures;
        if (!row.isProjectType()) {
            const int y = kFirstRowY + plainRows * pitch;
            if (!packed && plainRows > 0)
                addRule(sheet, y - (pitch - kRowHeight) / 2 - 1);
            figures = addFigureRow(sheet, row, y, chain);
            ++plainRows;
        } else {
            // The project types follow the plain rows, in a group of their own.
            if (!group)
                group = addProjectTypeGroup(sheet, kFirstRowY + (plainRows - 1) * pitch + kRowHeight + kGroupGap,
                                            int(content.rows.size()) - plainRows);
            figures = addProjectTypeRow(group, row, chain);
        }
        storedFields_.append({row.line2013, figures.of2013});
        storedFields_.append({row.line2014, figures.of2014});
        if (!firstField)
            firstField = figures.of2013;
    }

    const int nextX = kSheetWidth - kButtonRightMargin - kButtonWidth;
    GlyphButton *back =
        makeButton(sheet, Glyph::Back, Captions::kBack, content.backButton, nextX - kButtonGap - kButtonWidth);
    GlyphButton *next = makeButton(sheet, Glyph::Forward, Captions::kForward, content.nextButton, nextX);
    chain.add(back);
    chain.add(next);
    bindTabMoves(firstField, back, next);
}

void PerformancePage::addColumnHeadings(QWidget *sheet, const FiguresTab &content)
{
    const Performance::Content &page = Performance::content();
    makeLabel(sheet, text(content.subHeading), Fonts::pixelFont(Fonts::kYaHei, kSubHeadingPixels), kSubHeading,
              Qt::AlignCenter);
    const QFont font = Fonts::pixelFont(Fonts::kYaHei, kColumnHeaderPixels);
    makeLabel(sheet, text(page.labelHeader), font, QRect(kLabelX, kHeaderY, kLabelWidth, kRowHeight));
    makeLabel(sheet, text(page.unitHeader), font, QRect(kUnitX, kHeaderY, kUnitWidth, kRowHeight));
    makeLabel(sheet, text(page.year2013), font, QRect(kField2013X, kHeaderY, kFieldWidth, kRowHeight), Qt::AlignCenter);
    makeLabel(sheet, text(page.year2014), font, QRect(kField2014X, kHeaderY, kFieldWidth, kRowHeight), Qt::AlignCenter);
}

PerformancePage::Figures PerformancePage::addFigureRow(QWidget *sheet, const FigureRow &row, int y, FocusChain &chain)
{
    makeLabel(sheet, text(row.label), labelFont_, QRect(kLabelX, y, kLabelWidth, kRowHeight));
    makeLabel(sheet, text(row.unit), labelFont_, QRect(kUnitX, y, kUnitWidth, kRowHeight));
    return addFigures(sheet, row, QRect(kField2013X, y, kFieldWidth, kRowHeight), figureFont_, chain);
}

QGroupBox *PerformancePage::addProjectTypeGroup(QWidget *sheet, int top, int rows)
{
    const Performance::Content &page = Performance::content();
    auto *group = new QGroupBox(text(page.projectTypeGroupCaption), sheet);
    group->setObjectName(page.projectTypeGroup.toString());
    group->setFont(labelFont_);
    const int height = kGroupFirstRowY + rows * kGroupPitch - (kGroupPitch - kGroupRowHeight) + kGroupBottomPadding;
    group->setGeometry(kGroupX, top, kGroupWidth, height);
    return group;
}

// A check box in place of the label, and for the "其他" type a field naming it.
PerformancePage::Figures PerformancePage::addProjectTypeRow(QGroupBox *group, const FigureRow &row, FocusChain &chain)
{
    const int index = int(projectTypes_.size());
    const int y = kGroupFirstRowY + index * kGroupPitch;
    ProjectTypeRow project;
    project.box = new QCheckBox(text(row.label), group);
    project.box->setObjectName(row.checkBox.toString());
    project.box->setFont(labelFont_);
    const int boxWidth = row.nameField.isEmpty() ? kUnitX - kLabelX - kBoxRightMargin : kOtherBoxWidth;
    project.box->setGeometry(kLabelX - kGroupX, y, boxWidth, kGroupRowHeight);
    chain.add(project.box);
    if (!row.nameField.isEmpty()) {
        project.name = new QLineEdit(group);
        project.name->setObjectName(row.nameField.toString());
        project.name->setAccessibleName(text(Performance::content().otherTypeNameLabel));
        project.name->setFont(labelFont_);
        const int x = kLabelX - kGroupX + kOtherBoxWidth + kOtherNameGap;
        project.name->setGeometry(x, y, kUnitX - kGroupX - kOtherNameRightMargin - x, kGroupRowHeight);
        otherTypeName_ = {row.nameLine, project.name};
        chain.add(project.name);
    }
    makeLabel(group, text(row.unit), labelFont_, QRect(kUnitX - kGroupX, y, kUnitWidth, kGroupRowHeight));
    const Figures figures = addFigures(group, row, QRect(kField2013X - kGroupX, y, kFieldWidth, kGroupRowHeight),
                                       projectFigureFont_, chain);
    project.amount2013 = figures.of2013;
    project.amount2014 = figures.of2014;
    projectTypes_.append(project);
    connect(project.box, &QCheckBox::toggled, this, [this, index] { onProjectTypeToggled(index); });
    return figures;
}

// The row's 2013 field in the given place and its 2014 field in the next column.
PerformancePage::Figures PerformancePage::addFigures(QWidget *parent, const FigureRow &row, QRect of2013,
                                                     const QFont &font, FocusChain &chain)
{
    const Performance::Content &page = Performance::content();
    const QString label = text(row.label);
    const QRect of2014 = of2013.translated(kField2014X - kField2013X, 0);
    const Figures figures{makeNumberField(parent, row.field2013, label, text(page.year2013), row.unit, font, of2013),
                          makeNumberField(parent, row.field2014, label, text(page.year2014), row.unit, font, of2014)};
    chain.add(figures.of2013);
    chain.add(figures.of2014);
    return figures;
}

void PerformancePage::closeProjectTypes()
{
    // The project type fields open only when their type is ticked.
    QList<QLineEdit *> fields;
    for (const ProjectTypeRow &row : projectTypes_)
        if (row.name)
            fields.append(row.name);
    for (const ProjectTypeRow &row : projectTypes_)
        fields.append(row.amount2013);
    for (const ProjectTypeRow &row : projectTypes_)
        fields.append(row.amount2014);
    for (QLineEdit *field : fields)
        field->setEnabled(false);
    for (QLineEdit *field : fields)
        field->clear();
}

void PerformancePage::onProjectTypeToggled(int index)
{
    const ProjectTypeRow &row = projectTypes_[index];
    const bool ticked = row.box->isChecked();
    QList<QLineEdit *> fields{row.amount2013, row.amount2014};
    if (row.name)
        fields.prepend(row.name);
    for (QLineEdit *field : fields)
        field->setEnabled(ticked);
    if (ticked) {
        fields.first()->setFocus();
        return;
    }
    // Unticking discards the row: a type not chosen has no amounts.
    for (QLineEdit *field : fields)
        field->clear();
}

void PerformancePage::finishTabs()
{
    storeAnswerLines();
    emit forwardRequested();
}

void PerformancePage::storeAnswerLines()
{
    QString codes;
    for (const ProjectTypeRow &row : projectTypes_)
        codes += row.box->isChecked() ? QLatin1Char('1') : QLatin1Char('9');
    record_.set(Performance::content().projectTypeCodesLine, codes);
    record_.set(otherTypeName_.line, otherTypeName_.field->text());
    for (const StoredField &stored : storedFields_)
        record_.set(stored.line, stored.field->text());
}
