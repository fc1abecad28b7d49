// TForm3: the performance data page (section "二.绩效数据", three tabs of figures).
#include "Unit3.h"

#include "AnswerRecord.h"
#include "Fonts.h"
#include "GlyphButton.h"
#include "KeyFilters.h"
#include "Shell.h"
#include "profile/Unit7.h"
#include "questionnaire/Unit5.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace {

// One row of figures. A project type row has a checkbox in place of its
// label; the "其他" type also has a field naming it.
struct FigureRow {
    const char *label;
    const char *unit;
    const char *field2013;
    int line2013;
    const char *field2014;
    int line2014;
    const char *checkBox;
    const char *nameField;
    int nameLine;
};

struct FiguresTab {
    const char *sheet;
    const char *caption;
    const char *subHeading;
    const char *backButton;
    const char *nextButton;
    bool rulesBetweenRows;
    int rowCount;
    FigureRow rows[14];
};

struct PageContent {
    const char *heading;
    const char *columnHeaders[4]; // label, unit, 2013, 2014
    const char *backCaption;
    const char *nextCaption;
    const char *projectTypeGroup;
    const char *projectTypeGroupCaption;
    int projectTypeCodesLine; // one option code per project type row
    FiguresTab tabs[3];
};

// The whole page. Widgets and stored lines are both built from it.
const PageContent kPage = {
    "二.绩效数据",
    {"指标", "单位", "2013年", "2014年"},
    "上一步",
    "下一步",
    "GroupBox2",
    "项目特点",
    138,
    {
        {"TabSheet1",
         "     绩效    1    ",
         "综合绩效",
         "BitBtn1",
         "BitBtn2",
         true,
         10,
         {
             {"营业收入总额", "万元", "Edit1", 25, "Edit2", 35, nullptr, nullptr, 0},
             {"缴纳税金", "万元", "Edit4", 26, "Edit5", 36, nullptr, nullptr, 0},
             {"员工总数", "人", "Edit7", 27, "Edit8", 37, nullptr, nullptr, 0},
             {"签订劳动合同的员工数", "人", "Edit10", 28, "Edit11", 38, nullptr, nullptr, 0},
             {"缴纳社保的员工数", "人", "Edit13", 29, "Edit14", 39, nullptr, nullptr, 0},
             {"缴纳公积金的员工数", "人", "Edit16", 30, "Edit17", 40, nullptr, nullptr, 0},
             {"参加培训人次", "人次", "Edit19", 31, "Edit20", 41, nullptr, nullptr, 0},
             {"研发投入", "万元", "Edit22", 32, "Edit23", 42, nullptr, nullptr, 0},
             {"获得专利数", "个", "Edit25", 33, "Edit26", 43, nullptr, nullptr, 0},
             {"环保投入", "万元", "Edit28", 34, "Edit29", 44, nullptr, nullptr, 0},
         }},
        {"TabSheet2",
         "      绩效  2    ",
         "企业公益慈善领域年度投入金额",
         "BitBtn3",
         "BitBtn4",
         true,
         10,
         {
             {"扶贫", "万元", "Edit34", 45, "Edit35", 55, nullptr, nullptr, 0},
             {"教育", "万元", "Edit37", 46, "Edit38", 56, nullptr, nullptr, 0},
             {"救灾", "万元", "Edit40", 47, "Edit41", 57, nullptr, nullptr, 0},
             {"公共设施", "万元", "Edit43", 48, "Edit44", 58, nullptr, nullptr, 0},
             {"助残", "万元", "Edit46", 49, "Edit47", 59, nullptr, nullptr, 0},
             {"卫生医疗", "万元", "Edit49", 50, "Edit50", 60, nullptr, nullptr, 0},
             {"科学、文化、教育", "万元", "Edit52", 51, "Edit53", 61, nullptr, nullptr, 0},
             {"环保", "万元", "Edit55", 52, "Edit56", 62, nullptr, nullptr, 0},
             {"产业帮扶投资", "万元", "Edit58", 53, "Edit59", 63, nullptr, nullptr, 0},
             {"其他", "万元", "Edit61", 54, "Edit62", 64, nullptr, nullptr, 0},
         }},
        {"TabSheet4",
         "     绩效    3 ",
         "Solvane事业项目概况",
         "BitBtn5",
         "BitBtn6",
         false,
         14,
         {
             {"参与Solvane事业项目总数", "个", "Edit15", 110, "Edit6", 124, nullptr, nullptr, 0},
             {"项目年度到位资金", "万元", "Edit9", 111, "Edit12", 125, nullptr, nullptr, 0},
             {"安置就业人数", "人", "Edit3", 112, "Edit18", 126, nullptr, nullptr, 0},
             {"带动脱贫人数", "人", "Edit21", 113, "Edit24", 127, nullptr, nullptr, 0},
             {"农业产业化", "万元", "Edit97", 114, "Edit98", 128, "CheckBox1", nullptr, 0},
             {"林业国土绿化", "万元", "Edit36", 115, "Edit39", 129, "CheckBox2", nullptr, 0},
             {"农村旅游业", "万元", "Edit42", 116, "Edit45", 130, "CheckBox3", nullptr, 0},
             {"市场建设", "万元", "Edit48", 117, "Edit51", 131, "CheckBox4", nullptr, 0},
             {"农村非农产业", "万元", "Edit54", 118, "Edit57", 132, "CheckBox5", nullptr, 0},
             {"环保产业", "万元", "Edit60", 119, "Edit63", 133, "CheckBox6", nullptr, 0},
             {"高新科技", "万元", "Edit91", 120, "Edit92", 134, "CheckBox7", nullptr, 0},
             {"基础设施建设", "万元", "Edit93", 121, "Edit94", 135, "CheckBox8", nullptr, 0},
             {"参与国企改制", "万元", "Edit95", 122, "Edit96", 136, "CheckBox9", nullptr, 0},
             {"其他", "万元", "Edit27", 123, "Edit30", 137, "CheckBox10", "Edit31", 139},
         }},
    },
};

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

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString name(const char *latin1)
{
    return QString::fromLatin1(latin1);
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
QLineEdit *makeNumberField(QWidget *parent, const char *objectName, const QString &row, const QString &year,
                           const char *unit, const QFont &font, QRect geometry)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name(objectName));
    field->setAccessibleName(row + QLatin1Char(' ') + year);
    field->setAccessibleDescription(text(unit));
    field->setFont(font);
    field->setGeometry(geometry);
    NumericEntryFilter::install(field, NumericEntryFilter::Mode::Decimal);
    return field;
}

GlyphButton *makeButton(QWidget *parent, Glyph glyph, const char *caption, const char *objectName, int x)
{
    auto *button = new GlyphButton(glyph, text(caption), parent);
    button->setObjectName(name(objectName));
    button->setGeometry(x, kButtonY, kButtonWidth, kButtonHeight);
    return button;
}

} // namespace

TForm3::TForm3(Shell &shell) : Page(shell, QSize(797, 631), Page::Centring::Desktop)
{
    setObjectName(QStringLiteral("Form3"));

    Label1 = makeLabel(this, text(kPage.heading), Fonts::pixelFont(Fonts::kYaHei, 21, true), QRect(8, 4, 300, 32));
    Label1->setObjectName(QStringLiteral("Label1"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 631 - 593, 797, 593);
    PageControl1->tabBar()->setFont(Fonts::pixelFont(Fonts::kYaHei, 16));

    for (int tab = 0; tab < 3; ++tab)
        buildTab(tab);

    std::sort(storedFields_.begin(), storedFields_.end(),
              [](const StoredField &a, const StoredField &b) { return a.line < b.line; });

    FormCreate();
    // The first figure takes the keys when the page first appears.
    firstFieldOfTab_.first()->setFocus();
}

void TForm3::buildTab(int tab)
{
    const FiguresTab &content = kPage.tabs[tab];
    auto *sheet = new QWidget;
    sheet->setObjectName(name(content.sheet));
    PageControl1->addTab(sheet, text(content.caption));

    const QFont subHeadingFont = Fonts::pixelFont(Fonts::kYaHei, 29);
    const QFont headerFont = Fonts::pixelFont(Fonts::kYaHei, 16);
    const QFont labelFont = Fonts::pixelFont(Fonts::kYaHei, 14);
    const QFont fieldFont = Fonts::pixelFont(Fonts::kSong, 13);
    const QFont projectFieldFont = Fonts::pixelFont(Fonts::kYaHei, 12);

    makeLabel(sheet, text(content.subHeading), subHeadingFont, QRect(0, 6, kSheetWidth, 42), Qt::AlignCenter);

    const QString year2013 = text(kPage.columnHeaders[2]);
    const QString year2014 = text(kPage.columnHeaders[3]);
    constexpr int kHeaderY = 56;
    makeLabel(sheet, text(kPage.columnHeaders[0]), headerFont, QRect(kLabelX, kHeaderY, kLabelWidth, kRowHeight));
    makeLabel(sheet, text(kPage.columnHeaders[1]), headerFont, QRect(kUnitX, kHeaderY, kUnitWidth, kRowHeight));
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
    for (int r = 0; r < content.rowCount; ++r) {
        const FigureRow &row = content.rows[r];
        const QString label = text(row.label);
        QLineEdit *field2013 = nullptr;
        QLineEdit *field2014 = nullptr;

        if (!row.checkBox) {
            const int y = kFirstRowY + plainRows * pitch;
            if (content.rulesBetweenRows && plainRows > 0) {
                auto *rule = new QFrame(sheet);
                rule->setFrameShape(QFrame::HLine);
                rule->setFrameShadow(QFrame::Sunken);
                rule->setGeometry(kRuleLeft, y - (pitch - kRowHeight) / 2 - 1, kRuleRight - kRuleLeft, 2);
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
            const int projectRows = content.rowCount - plainRows;
            if (!group) {
                group = new QGroupBox(text(kPage.projectTypeGroupCaption), sheet);
                group->setObjectName(name(kPage.projectTypeGroup));
                group->setFont(labelFont);
                const int top = kFirstRowY + (plainRows - 1) * pitch + kRowHeight + kGroupGap;
                const int height = kGroupFirstRowY + projectRows * kGroupPitch - (kGroupPitch - kGroupRowHeight) + 8;
                group->setGeometry(kGroupX, top, kGroupWidth, height);
            }
            const int index = int(projectTypes_.size());
            const int y = kGroupFirstRowY + index * kGroupPitch;
            ProjectTypeRow project;
            project.box = new QCheckBox(label, group);
            project.box->setObjectName(name(row.checkBox));
            project.box->setFont(labelFont);
            const int boxWidth = row.nameField ? kOtherBoxWidth : kUnitX - kLabelX - 10;
            project.box->setGeometry(kLabelX - kGroupX, y, boxWidth, kGroupRowHeight);
            chain(project.box);
            if (row.nameField) {
                project.name = new QLineEdit(group);
                project.name->setObjectName(name(row.nameField));
                project.name->setAccessibleName(QStringLiteral("其他项目类型名称"));
                project.name->setFont(labelFont);
                const int x = kLabelX - kGroupX + kOtherBoxWidth + 4;
                project.name->setGeometry(x, y, kUnitX - kGroupX - 14 - x, kGroupRowHeight);
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
            connect(project.box, &QCheckBox::toggled, this, [this, index] { CheckBoxClick(index); });
        }
        storedFields_.append({row.line2013, field2013});
        storedFields_.append({row.line2014, field2014});
        if (r == 0)
            firstFieldOfTab_.append(field2013);
    }

    GlyphButton *back =
        makeButton(sheet, Glyph::Back, kPage.backCaption, content.backButton, kSheetWidth - 20 - 2 * kButtonWidth - 12);
    GlyphButton *next =
        makeButton(sheet, Glyph::Forward, kPage.nextCaption, content.nextButton, kSheetWidth - 20 - kButtonWidth);
    chain(back);
    chain(next);

    static constexpr void (TForm3::*kBackHandlers[])() = {&TForm3::BitBtn1Click, &TForm3::BitBtn3Click,
                                                          &TForm3::BitBtn5Click};
    static constexpr void (TForm3::*kNextHandlers[])() = {&TForm3::BitBtn2Click, &TForm3::BitBtn4Click,
                                                          &TForm3::BitBtn6Click};
    connect(back, &QPushButton::clicked, this, kBackHandlers[tab]);
    connect(next, &QPushButton::clicked, this, kNextHandlers[tab]);
}

void TForm3::FormCreate()
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

void TForm3::CheckBoxClick(int index)
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

void TForm3::showTab(int tab)
{
    PageControl1->setCurrentIndex(tab);
    firstFieldOfTab_[tab]->setFocus();
}

void TForm3::BitBtn1Click()
{
    shell().switchPage(this, shell().form7());
}

void TForm3::BitBtn2Click()
{
    showTab(1);
}

void TForm3::BitBtn3Click()
{
    showTab(0);
}

void TForm3::BitBtn4Click()
{
    showTab(2);
}

void TForm3::BitBtn5Click()
{
    showTab(1);
}

void TForm3::BitBtn6Click()
{
    storeAnswerLines();
    shell().switchPage(this, shell().form5());
}

void TForm3::storeAnswerLines()
{
    AnswerRecord &record = AnswerRecord::instance();
    QString codes;
    for (const ProjectTypeRow &row : projectTypes_)
        codes += row.box->isChecked() ? QLatin1Char('1') : QLatin1Char('9');
    record.set(kPage.projectTypeCodesLine, codes);
    record.set(otherTypeName_.line, otherTypeName_.field->text());
    for (const StoredField &stored : storedFields_)
        record.set(stored.line, stored.field->text());
}
