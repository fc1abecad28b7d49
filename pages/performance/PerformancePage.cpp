// The performance data page.
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

GlyphButton *makeButton(QWidget *parent, Glyph glyph, QStringView caption, QStringView objectName, int x)
{
    auto *button = new GlyphButton(glyph, caption.toString(), parent);
    button->setObjectName(objectName.toString());
    button->setGeometry(x, kButtonY, kButtonWidth, kButtonHeight);
    return button;
}

} // namespace

PerformancePage::PerformancePage(AnswerRecord &record)
    : Page(PageMetrics::kPerformance, Page::Centring::Desktop), record_(record)
{
    const Performance::Content &page = Performance::content();
    setObjectName(page.pageName.toString());

    auto *heading = makeLabel(this, text(page.heading),
                              Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kSectionHeading, true), kHeading);
    heading->setObjectName(QStringLiteral("Label1"));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(page.tabsName.toString());
    tabs_->setGeometry(0, PageMetrics::kPerformance.height() - kTabsHeight, PageMetrics::kPerformance.width(),
                       kTabsHeight);
    tabs_->tabBar()->setFont(Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kTabTitle));

    for (int tab = 0; tab < int(page.tabs.size()); ++tab)
        buildTab(tab);

    std::sort(storedFields_.begin(), storedFields_.end(),
              [](const StoredField &a, const StoredField &b) { return a.line < b.line; });

    closeProjectTypes();
    // The first figure takes the keys when the page first appears.
    firstFieldOfTab_.first()->setFocus();
}

void PerformancePage::buildTab(int tab)
{
    const Performance::Content &page = Performance::content();
    const FiguresTab &content = page.tabs[size_t(tab)];
    auto *sheet = new QWidget;
    sheet->setObjectName(content.sheet.toString());
    tabs_->addTab(sheet, text(content.caption));

    const QFont subHeadingFont = Fonts::pixelFont(Fonts::kYaHei, kSubHeadingPixels);
    const QFont headerFont = Fonts::pixelFont(Fonts::kYaHei, kColumnHeaderPixels);
    const QFont labelFont = Fonts::pixelFont(Fonts::kYaHei, kRowLabelPixels);
    const QFont fieldFont = Fonts::pixelFont(Fonts::kSong, kFigurePixels);
    const QFont projectFieldFont = Fonts::pixelFont(Fonts::kYaHei, kProjectFigurePixels);

    makeLabel(sheet, text(content.subHeading), subHeadingFont, kSubHeading, Qt::AlignCenter);

    const QString year2013 = text(page.year2013);
    const QString year2014 = text(page.year2014);
    makeLabel(sheet, text(page.labelHeader), headerFont, QRect(kLabelX, kHeaderY, kLabelWidth, kRowHeight));
    makeLabel(sheet, text(page.unitHeader), headerFont, QRect(kUnitX, kHeaderY, kUnitWidth, kRowHeight));
    makeLabel(sheet, year2013, headerFont, QRect(kField2013X, kHeaderY, kFieldWidth, kRowHeight), Qt::AlignCenter);
    makeLabel(sheet, year2014, headerFont, QRect(kField2014X, kHeaderY, kFieldWidth, kRowHeight), Qt::AlignCenter);

    const int pitch = content.rulesBetweenRows ? kRulePitch : kPlainPitch;
    QGroupBox *group = nullptr;
    QWidget *focusChainEnd = nullptr;
    auto chain = [&focusChainEnd](QWidget *next) {
        if (focusChainEnd)
            setTabOrder(focusChainEnd, next);
        focusChainEnd = next;
    };

    int plainRows = 0;
    bool firstRow = true;
    for (const FigureRow &row : content.rows) {
        const QString label = text(row.label);
        QLineEdit *field2013 = nullptr;
        QLineEdit *field2014 = nullptr;

        if (!row.isProjectType()) {
            const int y = kFirstRowY + plainRows * pitch;
            if (content.rulesBetweenRows && plainRows > 0) {
                auto *rule = new QFrame(sheet);
                rule->setFrameShape(QFrame::HLine);
                rule->setFrameShadow(QFrame::Sunken);
                rule->setGeometry(kRuleLeft, y - (pitch - kRowHeight) / 2 - 1, kRuleRight - kRuleLeft, kRuleThickness);
            }
            makeLabel(sheet, label, labelFont, QRect(kLabelX, y, kLabelWidth, kRowHeight));
            makeLabel(sheet, text(row.unit), labelFont, QRect(kUnitX, y, kUnitWidth, kRowHeight));
            field2013 = makeNumberField(sheet, row.field2013, label, year2013, row.unit, fieldFont,
                                        QRect(kField2013X, y, kFieldWidth, kRowHeight));
            field2014 = makeNumberField(sheet, row.field2014, label, year2014, row.unit, fieldFont,
                                        QRect(kField2014X, y, kFieldWidth, kRowHeight));
            chain(field2013);
            chain(field2014);
            ++plainRows;
        } else {
            if (!group) {
                const int projectRows = int(content.rows.size()) - plainRows;
                group = new QGroupBox(text(page.projectTypeGroupCaption), sheet);
                group->setObjectName(page.projectTypeGroup.toString());
                group->setFont(labelFont);
                const int top = kFirstRowY + (plainRows - 1) * pitch + kRowHeight + kGroupGap;
                const int height =
                    kGroupFirstRowY + projectRows * kGroupPitch - (kGroupPitch - kGroupRowHeight) + kGroupBottomPadding;
                group->setGeometry(kGroupX, top, kGroupWidth, height);
            }
            const int index = int(projectTypes_.size());
            const int y = kGroupFirstRowY + index * kGroupPitch;
            ProjectTypeRow project;
            project.box = new QCheckBox(label, group);
            project.box->setObjectName(row.checkBox.toString());
            project.box->setFont(labelFont);
            const int boxWidth = row.nameField.isEmpty() ? kUnitX - kLabelX - kBoxRightMargin : kOtherBoxWidth;
            project.box->setGeometry(kLabelX - kGroupX, y, boxWidth, kGroupRowHeight);
            chain(project.box);
            if (!row.nameField.isEmpty()) {
                project.name = new QLineEdit(group);
                project.name->setObjectName(row.nameField.toString());
                project.name->setAccessibleName(text(page.otherTypeNameLabel));
                project.name->setFont(labelFont);
                const int x = kLabelX - kGroupX + kOtherBoxWidth + kOtherNameGap;
                project.name->setGeometry(x, y, kUnitX - kGroupX - kOtherNameRightMargin - x, kGroupRowHeight);
                otherTypeName_ = {row.nameLine, project.name};
                chain(project.name);
            }
            makeLabel(group, text(row.unit), labelFont, QRect(kUnitX - kGroupX, y, kUnitWidth, kGroupRowHeight));
            field2013 = makeNumberField(group, row.field2013, label, year2013, row.unit, projectFieldFont,
                                        QRect(kField2013X - kGroupX, y, kFieldWidth, kGroupRowHeight));
            field2014 = makeNumberField(group, row.field2014, label, year2014, row.unit, projectFieldFont,
                                        QRect(kField2014X - kGroupX, y, kFieldWidth, kGroupRowHeight));
            chain(field2013);
            chain(field2014);
            project.amount2013 = field2013;
            project.amount2014 = field2014;
            projectTypes_.append(project);
            connect(project.box, &QCheckBox::toggled, this, [this, index] { onProjectTypeToggled(index); });
        }
        storedFields_.append({row.line2013, field2013});
        storedFields_.append({row.line2014, field2014});
        if (firstRow)
            firstFieldOfTab_.append(field2013);
        firstRow = false;
    }

    const int nextX = kSheetWidth - kButtonRightMargin - kButtonWidth;
    GlyphButton *back =
        makeButton(sheet, Glyph::Back, Captions::kBack, content.backButton, nextX - kButtonGap - kButtonWidth);
    GlyphButton *next = makeButton(sheet, Glyph::Forward, Captions::kForward, content.nextButton, nextX);
    chain(back);
    chain(next);

    const int lastTab = int(page.tabs.size()) - 1;
    if (tab == 0)
        connect(back, &QPushButton::clicked, this, &Page::backRequested);
    else
        connect(back, &QPushButton::clicked, this, [this, tab] { showTab(tab - 1); });
    if (tab == lastTab)
        connect(next, &QPushButton::clicked, this, &PerformancePage::onLastNextClicked);
    else
        connect(next, &QPushButton::clicked, this, [this, tab] { showTab(tab + 1); });
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

int PerformancePage::currentTab() const
{
    return tabs_->currentIndex();
}

void PerformancePage::showTab(int tab)
{
    tabs_->setCurrentIndex(tab);
    firstFieldOfTab_[tab]->setFocus();
}

void PerformancePage::onLastNextClicked()
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
