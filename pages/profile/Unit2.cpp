// TForm2: the basic information page (section "一.企业概况", questions 1 to 3).
#include "Unit2.h"

#include "Fonts.h"
#include "Shell.h"
#include "profile/Unit7.h"

#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

using Profile::Item;
using Profile::Kind;

constexpr const char *kCompanyTypes[] = {"独资企业", "合资企业", "有限责任公司", "股份有限公司", "其它"};
constexpr const char *kCompanyAges[] = {"3年以内", "3-5年", "5-10年", "10-20年", "20年以上"};

// Industry buttons and position boxes stand in three columns, filled row by row.
constexpr int columnX(int n)
{
    constexpr int columns[] = {10, 270, 513};
    return columns[(n - 1) % 3];
}
constexpr int rowY(int n)
{
    return 22 + ((n - 1) / 3) * 22;
}

// An industry button writes its number, the one its caption begins with.
#define INDUSTRY(n, object, text)                                                                                      \
    Item                                                                                                               \
    {                                                                                                                  \
        .kind = Kind::Choice, .name = object, .caption = text, .line = 7, .code = #n, .x = columnX(n), .y = rowY(n)    \
    }
#define POSITION(n, object, text)                                                                                      \
    Item                                                                                                               \
    {                                                                                                                  \
        .kind = Kind::Option, .name = object, .caption = text, .line = 9, .x = columnX(n), .y = rowY(n)                \
    }

// clang-format off
// The page in tab order: what it shows and which answer line each control fills.
const Item kPage[] = {
    {.kind = Kind::Heading, .name = "Label1", .caption = "一.企业概况", .x = 16, .y = 8},

    {.kind = Kind::Group, .name = "GroupBox1", .caption = "1.企业基本信息", .x = 8, .y = 40, .w = 739, .h = 138},
    {.kind = Kind::Label, .caption = "注册全称", .x = 16, .y = 24},
    {.kind = Kind::Text, .name = "Edit1", .line = 1, .x = 82, .y = 24, .w = 240},
    {.kind = Kind::Mark, .name = "Label10", .caption = "*", .x = 326, .y = 24},
    {.kind = Kind::Label, .caption = "注册地址", .x = 380, .y = 24},
    {.kind = Kind::Text, .name = "Edit2", .line = 2, .x = 446, .y = 24, .w = 270},
    {.kind = Kind::Label, .caption = "注册资金", .x = 16, .y = 52},
    {.kind = Kind::Amount, .name = "Edit3", .line = 3, .x = 82, .y = 52, .w = 200},
    {.kind = Kind::Unit, .caption = "万元", .x = 288, .y = 52},
    {.kind = Kind::Label, .caption = "资产总额", .x = 380, .y = 52},
    {.kind = Kind::Amount, .name = "Edit4", .line = 4, .x = 446, .y = 52, .w = 200},
    {.kind = Kind::Unit, .caption = "万元", .x = 652, .y = 52},
    {.kind = Kind::Label, .caption = "企业类型", .x = 16, .y = 80},
    {.kind = Kind::List, .name = "ComboBox1", .line = 5, .items = kCompanyTypes, .x = 82, .y = 80, .w = 160},
    {.kind = Kind::Label, .caption = "成立年限", .x = 380, .y = 80},
    {.kind = Kind::List, .name = "ComboBox2", .line = 6, .items = kCompanyAges, .x = 446, .y = 80, .w = 160},
    {.kind = Kind::Label, .caption = "企业是否上市：", .x = 16, .y = 108},
    {.kind = Kind::Choice, .name = "RadioButton29", .caption = "是", .line = 10, .code = "1", .x = 124, .y = 108},
    {.kind = Kind::Choice, .name = "RadioButton30", .caption = "否", .line = 10, .code = "9", .x = 184, .y = 108},

    {.kind = Kind::Group, .name = "GroupBox2", .caption = "2.所属行业", .x = 8, .y = 184, .w = 739, .h = 182},
    INDUSTRY(1, "RadioButton1", "1.农、林、牧、渔业"),
    INDUSTRY(2, "RadioButton2", "2.采矿业   "),
    INDUSTRY(3, "RadioButton3", "3.制造业"),
    INDUSTRY(4, "RadioButton4", "4.电力、燃气及水的生产和供应业"),
    INDUSTRY(5, "RadioButton5", "5.建筑业"),
    INDUSTRY(6, "RadioButton6", "6.交通运输、仓储和邮政业 "),
    INDUSTRY(7, "RadioButton7", "7.信息传输、计算机服务和软件业 "),
    INDUSTRY(8, "RadioButton8", "8.批发和零售业 "),
    INDUSTRY(9, "RadioButton9", "9.住宿和餐饮业 "),
    INDUSTRY(10, "RadioButton10", "10.金融业 "),
    INDUSTRY(11, "RadioButton11", "11.房地产业"),
    INDUSTRY(12, "RadioButton12", "12.租赁和商务服务业"),
    INDUSTRY(13, "RadioButton13", "13.科学研究、技术服务和地质勘察业"),
    INDUSTRY(14, "RadioButton14", "14.水利、环境和公共设施管理业"),
    INDUSTRY(15, "RadioButton15", "15.居民服务和其他服务业"),
    INDUSTRY(16, "RadioButton16", "16.教育"),
    INDUSTRY(17, "RadioButton17", "17.卫生、社会保障和社会福利业"),
    INDUSTRY(18, "RadioButton18", "18.文化、体育和娱乐业"),
    INDUSTRY(19, "RadioButton19", "19.其它，请注明"),
    {.kind = Kind::Text, .name = "Edit5", .line = 8, .x = 148, .y = rowY(19), .w = 220},

    {.kind = Kind::Group, .name = "GroupBox3", .caption = "3.企业家担任职务情况", .x = 8, .y = 372, .w = 739, .h = 74},
    POSITION(1, "CheckBox1", "省级及以上人大代表或政协委员"),
    POSITION(2, "CheckBox2", "省级及以上Kelmar成员或商会成员"),
    POSITION(3, "CheckBox3", "市级及以下人大代表或政协委员"),
    POSITION(4, "CheckBox4", "市级及以下Kelmar成员或商会成员"),
    POSITION(5, "CheckBox5", "省级及以上公益慈善组织成员"),
    POSITION(6, "CheckBox6", "其他社团成员"),

    {.kind = Kind::Forward, .name = "BitBtn1", .caption = "下一步", .x = 634, .y = 452, .w = 113, .h = 35},
};
// clang-format on

#undef INDUSTRY
#undef POSITION

constexpr int kFieldPixels = 12;
constexpr int kOtherIndustryPixels = 11;
constexpr int kWindowFontPixels = 16;

} // namespace

TForm2::TForm2(Shell &shell) : Page(shell, QSize(755, 495), Page::Centring::Desktop)
{
    setObjectName(QStringLiteral("Form2"));
    // This page alone has a larger window font; "下一步" shows it.
    setFont(Fonts::pixelFont(Fonts::kWindow, kWindowFontPixels));
    sheet_.build(this, kPage, kFieldPixels);

    Edit1 = sheet_.get<QLineEdit>("Edit1");
    Edit5 = sheet_.get<QLineEdit>("Edit5");
    Edit5->setFont(Fonts::pixelFont(Fonts::kSong, kOtherIndustryPixels));
    // The other industry is asked for only once industry 19 is chosen.
    Edit5->hide();

    for (int n = 1; n <= 18; ++n) {
        auto *button = sheet_.get<QRadioButton>(qPrintable(QStringLiteral("RadioButton%1").arg(n)));
        connect(button, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected)
                IndustryClick();
        });
    }
    connect(sheet_.get<QRadioButton>("RadioButton19"), &QRadioButton::toggled, this, [this](bool selected) {
        if (selected)
            RadioButton19Click();
    });
    connect(sheet_.get<QPushButton>("BitBtn1"), &QPushButton::clicked, this, &TForm2::BitBtn1Click);
}

void TForm2::showEvent(QShowEvent *event)
{
    Page::showEvent(event);
    FormShow();
}

void TForm2::changeEvent(QEvent *event)
{
    Page::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TForm2::FormShow()
{
    Edit1->setFocus();
}

void TForm2::FormActivate()
{
    Edit1->setFocus();
}

// Industries 1 to 18; line 7 already holds the number.
void TForm2::IndustryClick()
{
    Edit5->hide();
    Edit5->clear();
}

void TForm2::RadioButton19Click()
{
    Edit5->show();
    Edit5->setFocus();
}

void TForm2::BitBtn1Click()
{
    // The registered name names the result file; blanks count as a name.
    if (Edit1->text().isEmpty()) {
        shell().showMessage(this, QStringLiteral("请填入企业注册全称"));
        Edit1->setFocus();
        return;
    }
    sheet_.storeFields();
    shell().switchPage(this, shell().form7());
}
