// The two profile pages' content tables.
#include "survey/ProfileContent.h"

#include "survey/Captions.h"

namespace Profile {

namespace {

constexpr QStringView kCompanyTypes[] = {u"独资企业", u"合资企业", u"有限责任公司", u"股份有限公司", u"其它"};
constexpr QStringView kCompanyAges[] = {u"3年以内", u"3-5年", u"5-10年", u"10-20年", u"20年以上"};

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
        .kind = Kind::Choice, .name = object, .caption = text, .line = 7, .code = u"" #n, .variable = u"industry",     \
        .x = columnX(n), .y = rowY(n)                                                                                  \
    }
#define POSITION(n, object, text)                                                                                      \
    Item                                                                                                               \
    {                                                                                                                  \
        .kind = Kind::Option, .name = object, .caption = text, .line = 9, .variable = u"positions", .x = columnX(n),   \
        .y = rowY(n)                                                                                                   \
    }

// clang-format off
// The page in tab order: what it shows and which answer line each control fills.
const Item kBasicInformation[] = {
    {.kind = Kind::Heading, .name = u"Label1", .caption = Captions::kProfileHeading, .x = 16, .y = 8},

    {.kind = Kind::Group, .name = u"GroupBox1", .caption = u"1.企业基本信息", .x = 8, .y = 40, .w = 739, .h = 138},
    {.kind = Kind::Label, .caption = u"注册全称", .x = 16, .y = 24},
    {.kind = Kind::Text, .name = BasicInformation::kNameField, .line = 1, .variable = u"name", .x = 82, .y = 24, .w = 240},
    {.kind = Kind::Mark, .name = u"Label10", .caption = u"*", .x = 326, .y = 24},
    {.kind = Kind::Label, .caption = u"注册地址", .x = 380, .y = 24},
    {.kind = Kind::Text, .name = u"Edit2", .line = 2, .variable = u"address", .x = 446, .y = 24, .w = 270},
    {.kind = Kind::Label, .caption = u"注册资金", .x = 16, .y = 52},
    {.kind = Kind::Amount, .name = u"Edit3", .line = 3, .variable = u"capital", .x = 82, .y = 52, .w = 200},
    {.kind = Kind::Unit, .caption = u"万元", .x = 288, .y = 52},
    {.kind = Kind::Label, .caption = u"资产总额", .x = 380, .y = 52},
    {.kind = Kind::Amount, .name = u"Edit4", .line = 4, .variable = u"assets", .x = 446, .y = 52, .w = 200},
    {.kind = Kind::Unit, .caption = u"万元", .x = 652, .y = 52},
    {.kind = Kind::Label, .caption = u"企业类型", .x = 16, .y = 80},
    {.kind = Kind::List, .name = u"ComboBox1", .line = 5, .items = kCompanyTypes, .variable = u"company_type", .x = 82, .y = 80, .w = 160},
    {.kind = Kind::Label, .caption = u"成立年限", .x = 380, .y = 80},
    {.kind = Kind::List, .name = u"ComboBox2", .line = 6, .items = kCompanyAges, .variable = u"company_age", .x = 446, .y = 80, .w = 160},
    {.kind = Kind::Label, .caption = u"企业是否上市：", .x = 16, .y = 108},
    {.kind = Kind::Choice, .name = u"RadioButton29", .caption = u"是", .line = 10, .code = u"1", .variable = u"listed", .x = 124, .y = 108},
    {.kind = Kind::Choice, .name = u"RadioButton30", .caption = u"否", .line = 10, .code = u"9", .x = 184, .y = 108},

    {.kind = Kind::Group, .name = u"GroupBox2", .caption = u"2.所属行业", .x = 8, .y = 184, .w = 739, .h = 182},
    INDUSTRY(1, u"RadioButton1", u"1.农、林、牧、渔业"),
    INDUSTRY(2, u"RadioButton2", u"2.采矿业   "),
    INDUSTRY(3, u"RadioButton3", u"3.制造业"),
    INDUSTRY(4, u"RadioButton4", u"4.电力、燃气及水的生产和供应业"),
    INDUSTRY(5, u"RadioButton5", u"5.建筑业"),
    INDUSTRY(6, u"RadioButton6", u"6.交通运输、仓储和邮政业 "),
    INDUSTRY(7, u"RadioButton7", u"7.信息传输、计算机服务和软件业 "),
    INDUSTRY(8, u"RadioButton8", u"8.批发和零售业 "),
    INDUSTRY(9, u"RadioButton9", u"9.住宿和餐饮业 "),
    INDUSTRY(10, u"RadioButton10", u"10.金融业 "),
    INDUSTRY(11, u"RadioButton11", u"11.房地产业"),
    INDUSTRY(12, u"RadioButton12", u"12.租赁和商务服务业"),
    INDUSTRY(13, u"RadioButton13", u"13.科学研究、技术服务和地质勘察业"),
    INDUSTRY(14, u"RadioButton14", u"14.水利、环境和公共设施管理业"),
    INDUSTRY(15, u"RadioButton15", u"15.居民服务和其他服务业"),
    INDUSTRY(16, u"RadioButton16", u"16.教育"),
    INDUSTRY(17, u"RadioButton17", u"17.卫生、社会保障和社会福利业"),
    INDUSTRY(18, u"RadioButton18", u"18.文化、体育和娱乐业"),
    {.kind = Kind::Choice, .name = u"RadioButton19", .caption = u"19.其它，请注明", .line = 7, .code = u"19", .opens = Detail::OtherIndustry, .x = columnX(19), .y = rowY(19)},
    {.kind = Kind::Text, .name = u"Edit5", .line = 8, .detail = Detail::OtherIndustry, .variable = u"industry_other", .x = 148, .y = rowY(19), .w = 220},

    {.kind = Kind::Group, .name = u"GroupBox3", .caption = u"3.企业家担任职务情况", .x = 8, .y = 372, .w = 739, .h = 74},
    POSITION(1, u"CheckBox1", u"省级及以上人大代表或政协委员"),
    POSITION(2, u"CheckBox2", u"省级及以上Kelmar成员或商会成员"),
    POSITION(3, u"CheckBox3", u"市级及以下人大代表或政协委员"),
    POSITION(4, u"CheckBox4", u"市级及以下Kelmar成员或商会成员"),
    POSITION(5, u"CheckBox5", u"省级及以上公益慈善组织成员"),
    POSITION(6, u"CheckBox6", u"其他社团成员"),

    {.kind = Kind::Forward, .name = u"BitBtn1", .caption = u"下一步", .x = 634, .y = 452, .w = 113, .h = 35},
};
// clang-format on

#undef INDUSTRY
#undef POSITION

constexpr QStringView kYears[] = {u"2005年以前", u"2006年", u"2007年", u"2008年", u"2009年",
                                  u"2010年",     u"2011年", u"2012年", u"2013年", u"2014年"};
constexpr QStringView kReportLengths[] = {u"10页以下", u"11-30页", u"30-50页", u"50-70页", u"70页以上"};

// clang-format off
// The page in tab order. The lines of question 6 do not follow the screen:
// 19 is row 3 right, 21 row 2 right, 22 row 3 left.
const Item kFoundation[] = {
    {.kind = Kind::Heading, .name = u"Label1", .caption = Captions::kProfileHeading, .x = 16, .y = 8},

    {.kind = Kind::Group, .name = u"GroupBox5", .caption = u"4.企业成立的基金会或公益慈善专项基金情况", .x = 8, .y = 40, .w = 739, .h = 112},
    {.kind = Kind::Label, .name = u"Label15", .caption = u"企业是否成立基金会或公益慈善专项基金：", .x = 16, .y = 24},
    {.kind = Kind::Choice, .name = u"RadioButton31", .caption = u"是", .line = 11, .code = u"1", .opens = Detail::Foundation, .variable = u"foundation", .x = 296, .y = 24},
    {.kind = Kind::Choice, .name = u"RadioButton32", .caption = u"否", .line = 11, .code = u"9", .x = 356, .y = 24},
    {.kind = Kind::Label, .name = u"Label10", .caption = u"基金会或基金名称：", .detail = Detail::Foundation, .x = 16, .y = 52},
    {.kind = Kind::Text, .name = u"Edit6", .line = 12, .detail = Detail::Foundation, .variable = u"foundation_name", .x = 150, .y = 52, .w = 300},
    {.kind = Kind::Label, .name = u"Label11", .caption = u"基金额", .detail = Detail::Foundation, .x = 16, .y = 80},
    {.kind = Kind::Amount, .name = u"Edit7", .line = 13, .detail = Detail::Foundation, .variable = u"foundation_amount", .x = 66, .y = 80, .w = 110},
    {.kind = Kind::Unit, .name = u"Label12", .caption = u"万元", .detail = Detail::Foundation, .x = 182, .y = 80},
    {.kind = Kind::Label, .name = u"Label13", .caption = u"注册资金", .detail = Detail::Foundation, .x = 240, .y = 80},
    {.kind = Kind::Amount, .name = u"Edit8", .line = 14, .detail = Detail::Foundation, .variable = u"foundation_capital", .x = 304, .y = 80, .w = 110},
    {.kind = Kind::Unit, .name = u"Label14", .caption = u"万元", .detail = Detail::Foundation, .x = 420, .y = 80},
    {.kind = Kind::Label, .name = u"Label26", .caption = u"成立时间：", .detail = Detail::Foundation, .x = 480, .y = 80},
    {.kind = Kind::List, .name = u"ComboBox6", .line = 15, .items = kYears, .detail = Detail::Foundation, .variable = u"foundation_year", .x = 560, .y = 80, .w = 120},

    {.kind = Kind::Group, .name = u"GroupBox4", .caption = u"5.社会责任管理构设置情况", .x = 8, .y = 158, .w = 739, .h = 52},
    {.kind = Kind::Choice, .name = u"RadioButton20", .caption = u"有专职社会责任部门", .line = 16, .code = u"A", .variable = u"csr_department", .x = 16, .y = 22},
    {.kind = Kind::Choice, .name = u"RadioButton21", .caption = u"其他部门兼职负责", .line = 16, .code = u"B", .x = 250, .y = 22},
    {.kind = Kind::Choice, .name = u"RadioButton22", .caption = u"无", .line = 16, .code = u"C", .x = 484, .y = 22},

    {.kind = Kind::Group, .name = u"GroupBox6", .caption = u"6.社会责任报告编写发布情况", .x = 8, .y = 216, .w = 739, .h = 168},
    {.kind = Kind::Label, .name = u"Label17", .caption = u"企业是否发布过社会责任报告", .x = 16, .y = 24},
    {.kind = Kind::Choice, .name = u"RadioButton23", .caption = u"是", .line = 17, .code = u"1", .opens = Detail::Report, .variable = u"report", .x = 214, .y = 24},
    {.kind = Kind::Choice, .name = u"RadioButton24", .caption = u"否", .line = 17, .code = u"9", .x = 274, .y = 24},
    {.kind = Kind::Label, .name = u"Label18", .caption = u"企业社会责任报告编写依据：", .detail = Detail::Report, .x = 16, .y = 52},
    {.kind = Kind::Text, .name = u"Edit11", .line = 18, .detail = Detail::Report, .variable = u"report_basis", .x = 206, .y = 52, .w = 170},
    {.kind = Kind::Label, .name = u"Label21", .caption = u"报告发布途径：", .detail = Detail::Report, .x = 396, .y = 52},
    {.kind = Kind::Text, .name = u"Edit9", .line = 21, .detail = Detail::Report, .variable = u"report_channel", .x = 500, .y = 52, .w = 220},
    {.kind = Kind::Label, .name = u"Label22", .caption = u"报告是否经过第三方专业机构审验：", .detail = Detail::Report, .x = 16, .y = 80},
    {.kind = Kind::Pair, .name = u"CheckBox7", .caption = u"是", .line = 22, .code = u"1", .detail = Detail::Report, .variable = u"report_audited", .x = 250, .y = 80},
    {.kind = Kind::Pair, .name = u"CheckBox8", .caption = u"否", .line = 22, .code = u"9", .detail = Detail::Report, .x = 306, .y = 80},
    {.kind = Kind::Label, .name = u"Label19", .caption = u"报告中是否提及企业不足之处：", .detail = Detail::Report, .x = 396, .y = 80},
    {.kind = Kind::Pair, .name = u"CheckBox9", .caption = u"是", .line = 19, .code = u"1", .detail = Detail::Report, .variable = u"report_shortcomings", .x = 602, .y = 80},
    {.kind = Kind::Pair, .name = u"CheckBox10", .caption = u"否", .line = 19, .code = u"9", .detail = Detail::Report, .x = 658, .y = 80},
    {.kind = Kind::Label, .name = u"Label20", .caption = u"报告篇幅：", .detail = Detail::Report, .x = 16, .y = 108},
    {.kind = Kind::List, .name = u"ComboBox3", .line = 20, .items = kReportLengths, .detail = Detail::Report, .variable = u"report_length", .x = 96, .y = 108, .w = 120},
    {.kind = Kind::Label, .name = u"Label23", .caption = u"首份报告发布时间：", .detail = Detail::Report, .x = 16, .y = 136},
    {.kind = Kind::List, .name = u"ComboBox5", .line = 23, .items = kYears, .detail = Detail::Report, .variable = u"report_first_year", .x = 150, .y = 136, .w = 120},
    {.kind = Kind::Label, .name = u"Label24", .caption = u"累计发布份数：", .detail = Detail::Report, .x = 396, .y = 136},
    {.kind = Kind::Count, .name = u"Edit10", .line = 24, .detail = Detail::Report, .variable = u"report_count", .x = 500, .y = 136, .w = 80},
    {.kind = Kind::Unit, .name = u"Label16", .caption = u"份", .detail = Detail::Report, .x = 586, .y = 136},

    {.kind = Kind::Forward, .name = u"BitBtn1", .caption = u"下一步", .x = 634, .y = 406, .w = 113, .h = 35},
    {.kind = Kind::Back, .name = u"BitBtn2", .caption = u"上一步", .x = 512, .y = 406, .w = 113, .h = 35},
};
// clang-format on

} // namespace

namespace BasicInformation {
std::span<const Item> items()
{
    return kBasicInformation;
}
} // namespace BasicInformation

namespace Foundation {
std::span<const Item> items()
{
    return kFoundation;
}
} // namespace Foundation

const Item *find(std::span<const Item> table, QStringView name)
{
    for (const Item &item : table)
        if (!name.isEmpty() && item.name == name)
            return &item;
    return nullptr;
}

} // namespace Profile
