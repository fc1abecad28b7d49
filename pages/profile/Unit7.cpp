// TForm7: the foundation and CSR organisation page (section "一.企业概况", questions 4 to 6).
#include "Unit7.h"

#include "AnswerRecord.h"
#include "Shell.h"
#include "performance/Unit3.h"
#include "profile/Unit2.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

using Profile::Item;
using Profile::Kind;

// The detail fields that a "是" opens and a "否" closes.
enum Detail { None, Foundation, Report };

constexpr const char *kYears[] = {"2005年以前", "2006年", "2007年", "2008年", "2009年",
                                  "2010年",     "2011年", "2012年", "2013年", "2014年"};
constexpr const char *kReportLengths[] = {"10页以下", "11-30页", "30-50页", "50-70页", "70页以上"};

// clang-format off
// The page in tab order. The lines of question 6 do not follow the screen:
// 19 is row 3 right, 21 row 2 right, 22 row 3 left.
const Item kPage[] = {
    {.kind = Kind::Heading, .name = "Label1", .caption = "一.企业概况", .x = 16, .y = 8},

    {.kind = Kind::Group, .name = "GroupBox5", .caption = "4.企业成立的基金会或公益慈善专项基金情况", .x = 8, .y = 40,
     .w = 739, .h = 112},
    {.kind = Kind::Label, .name = "Label15", .caption = "企业是否成立基金会或公益慈善专项基金：", .x = 16, .y = 24},
    {.kind = Kind::Choice, .name = "RadioButton31", .caption = "是", .line = 11, .code = "1", .x = 296, .y = 24},
    {.kind = Kind::Choice, .name = "RadioButton32", .caption = "否", .line = 11, .code = "9", .x = 356, .y = 24},
    {.kind = Kind::Label, .name = "Label10", .caption = "基金会或基金名称：", .detail = Foundation, .x = 16, .y = 52},
    {.kind = Kind::Text, .name = "Edit6", .line = 12, .detail = Foundation, .x = 150, .y = 52, .w = 300},
    {.kind = Kind::Label, .name = "Label11", .caption = "基金额", .detail = Foundation, .x = 16, .y = 80},
    {.kind = Kind::Amount, .name = "Edit7", .line = 13, .detail = Foundation, .x = 66, .y = 80, .w = 110},
    {.kind = Kind::Unit, .name = "Label12", .caption = "万元", .detail = Foundation, .x = 182, .y = 80},
    {.kind = Kind::Label, .name = "Label13", .caption = "注册资金", .detail = Foundation, .x = 240, .y = 80},
    {.kind = Kind::Amount, .name = "Edit8", .line = 14, .detail = Foundation, .x = 304, .y = 80, .w = 110},
    {.kind = Kind::Unit, .name = "Label14", .caption = "万元", .detail = Foundation, .x = 420, .y = 80},
    {.kind = Kind::Label, .name = "Label26", .caption = "成立时间：", .detail = Foundation, .x = 480, .y = 80},
    {.kind = Kind::List, .name = "ComboBox6", .line = 15, .items = kYears, .detail = Foundation, .x = 560, .y = 80,
     .w = 120},

    {.kind = Kind::Group, .name = "GroupBox4", .caption = "5.社会责任管理构设置情况", .x = 8, .y = 158, .w = 739,
     .h = 52},
    {.kind = Kind::Choice, .name = "RadioButton20", .caption = "有专职社会责任部门", .line = 16, .code = "A", .x = 16,
     .y = 22},
    {.kind = Kind::Choice, .name = "RadioButton21", .caption = "其他部门兼职负责", .line = 16, .code = "B", .x = 250,
     .y = 22},
    {.kind = Kind::Choice, .name = "RadioButton22", .caption = "无", .line = 16, .code = "C", .x = 484, .y = 22},

    {.kind = Kind::Group, .name = "GroupBox6", .caption = "6.社会责任报告编写发布情况", .x = 8, .y = 216, .w = 739,
     .h = 168},
    {.kind = Kind::Label, .name = "Label17", .caption = "企业是否发布过社会责任报告", .x = 16, .y = 24},
    {.kind = Kind::Choice, .name = "RadioButton23", .caption = "是", .line = 17, .code = "1", .x = 214, .y = 24},
    {.kind = Kind::Choice, .name = "RadioButton24", .caption = "否", .line = 17, .code = "9", .x = 274, .y = 24},
    {.kind = Kind::Label, .name = "Label18", .caption = "企业社会责任报告编写依据：", .detail = Report, .x = 16, .y = 52},
    {.kind = Kind::Text, .name = "Edit11", .line = 18, .detail = Report, .x = 206, .y = 52, .w = 170},
    {.kind = Kind::Label, .name = "Label21", .caption = "报告发布途径：", .detail = Report, .x = 396, .y = 52},
    {.kind = Kind::Text, .name = "Edit9", .line = 21, .detail = Report, .x = 500, .y = 52, .w = 220},
    {.kind = Kind::Label, .name = "Label22", .caption = "报告是否经过第三方专业机构审验：", .detail = Report, .x = 16,
     .y = 80},
    {.kind = Kind::Pair, .name = "CheckBox7", .caption = "是", .line = 22, .code = "1", .detail = Report, .x = 250,
     .y = 80},
    {.kind = Kind::Pair, .name = "CheckBox8", .caption = "否", .line = 22, .code = "9", .detail = Report, .x = 306,
     .y = 80},
    {.kind = Kind::Label, .name = "Label19", .caption = "报告中是否提及企业不足之处：", .detail = Report, .x = 396,
     .y = 80},
    {.kind = Kind::Pair, .name = "CheckBox9", .caption = "是", .line = 19, .code = "1", .detail = Report, .x = 602,
     .y = 80},
    {.kind = Kind::Pair, .name = "CheckBox10", .caption = "否", .line = 19, .code = "9", .detail = Report, .x = 658,
     .y = 80},
    {.kind = Kind::Label, .name = "Label20", .caption = "报告篇幅：", .detail = Report, .x = 16, .y = 108},
    {.kind = Kind::List, .name = "ComboBox3", .line = 20, .items = kReportLengths, .detail = Report, .x = 96,
     .y = 108, .w = 120},
    {.kind = Kind::Label, .name = "Label23", .caption = "首份报告发布时间：", .detail = Report, .x = 16, .y = 136},
    {.kind = Kind::List, .name = "ComboBox5", .line = 23, .items = kYears, .detail = Report, .x = 150, .y = 136,
     .w = 120},
    {.kind = Kind::Label, .name = "Label24", .caption = "累计发布份数：", .detail = Report, .x = 396, .y = 136},
    {.kind = Kind::Count, .name = "Edit10", .line = 24, .detail = Report, .x = 500, .y = 136, .w = 80},
    {.kind = Kind::Unit, .name = "Label16", .caption = "份", .detail = Report, .x = 586, .y = 136},

    {.kind = Kind::Forward, .name = "BitBtn1", .caption = "下一步", .x = 634, .y = 406, .w = 113, .h = 35},
    {.kind = Kind::Back, .name = "BitBtn2", .caption = "上一步", .x = 512, .y = 406, .w = 113, .h = 35},
};
// clang-format on

constexpr int kFieldPixels = 11;

void onSelected(QRadioButton *button, TForm7 *page, void (TForm7::*handler)())
{
    QObject::connect(button, &QRadioButton::toggled, page, [page, handler](bool selected) {
        if (selected)
            (page->*handler)();
    });
}

} // namespace

TForm7::TForm7(Shell &shell) : Page(shell, QSize(755, 457), Page::Centring::PrimaryScreen)
{
    setObjectName(QStringLiteral("Form7"));
    sheet_.build(this, kPage, kFieldPixels);
    Edit6 = sheet_.get<QLineEdit>("Edit6");
    Edit11 = sheet_.get<QLineEdit>("Edit11");

    // Lines 11, 16 and 17 are written by the buttons themselves as they become
    // selected; these handlers open and close the detail fields after that.
    onSelected(sheet_.get<QRadioButton>("RadioButton31"), this, &TForm7::RadioButton31Click);
    onSelected(sheet_.get<QRadioButton>("RadioButton32"), this, &TForm7::RadioButton32Click);
    onSelected(sheet_.get<QRadioButton>("RadioButton23"), this, &TForm7::RadioButton23Click);
    onSelected(sheet_.get<QRadioButton>("RadioButton24"), this, &TForm7::RadioButton24Click);
    connect(sheet_.get<QPushButton>("BitBtn1"), &QPushButton::clicked, this, &TForm7::BitBtn1Click);
    connect(sheet_.get<QPushButton>("BitBtn2"), &QPushButton::clicked, this, &TForm7::BitBtn2Click);

    FormCreate();
}

void TForm7::FormCreate()
{
    sheet_.closeDetail(Report);
    sheet_.closeDetail(Foundation);
}

void TForm7::RadioButton31Click()
{
    sheet_.openDetail(Foundation);
    Edit6->setFocus();
}

void TForm7::RadioButton32Click()
{
    sheet_.closeDetail(Foundation);
}

void TForm7::RadioButton23Click()
{
    sheet_.openDetail(Report);
    Edit11->setFocus();
}

void TForm7::RadioButton24Click()
{
    sheet_.closeDetail(Report);
    // Unticking leaves a pair's line as it was, but a report that was never
    // published has no audit or shortcomings answer to keep.
    for (int line : sheet_.pairLines(Report))
        AnswerRecord::instance().set(line, QString());
}

void TForm7::BitBtn1Click()
{
    sheet_.storeFields();
    shell().switchPage(this, shell().form3());
}

void TForm7::BitBtn2Click()
{
    shell().switchPage(this, shell().form2());
}
