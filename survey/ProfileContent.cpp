// What the two profile pages show and which answer line each control fills,
// in tab order, captions exactly as the survey has them.
#include "survey/ProfileContent.h"

#include "survey/Captions.h"

namespace Profile {

namespace {

constexpr QStringView kCompanyTypes[] = {u"独资企业", u"合资企业", u"有限责任公司", u"股份有限公司", u"其它"};
constexpr QStringView kCompanyAges[] = {u"3年以内", u"3-5年", u"5-10年", u"10-20年", u"20年以上"};

// An industry button writes its number, the one its caption begins with.
#define INDUSTRY(n, object, text)                                                                                      \
    Item                                                                                                               \
    {                                                                                                                  \
        .kind = Kind::Choice, .name = object, .caption = text, .line = 7, .code = u"" #n, .variable = u"industry"      \
    }
#define POSITION(object, text)                                                                                         \
    Item                                                                                                               \
    {                                                                                                                  \
        .kind = Kind::Option, .name = object, .caption = text, .line = 9, .variable = u"positions"                     \
    }

// clang-format off
// The page in tab order: what it shows and which answer line each control fills.
const Item kBasicInformation[] = {
    {.kind = Kind::Heading, .name = u"Label1", .caption = Captions::kProfileHeading},

    {.kind = Kind::Group, .name = u"GroupBox1", .caption = u"1.企业基本信息"},
    {.kind = Kind::Label, .caption = u"注册全称"},
    {.kind = Kind::Text, .name = BasicInformation::kNameField, .line = 1, .variable = u"name"},
    {.kind = Kind::Mark, .name = u"Label10", .caption = u"*"},
    {.kind = Kind::Label, .caption = u"注册地址"},
    {.kind = Kind::Text, .name = u"Edit2", .line = 2, .variable = u"address"},
    {.kind = Kind::Label, .caption = u"注册资金"},
    {.kind = Kind::Amount, .name = u"Edit3", .line = 3, .variable = u"capital"},
    {.kind = Kind::Unit, .caption = u"万元"},
    {.kind = Kind::Label, .caption = u"资产总额"},
    {.kind = Kind::Amount, .name = u"Edit4", .line = 4, .variable = u"assets"},
    {.kind = Kind::Unit, .caption = u"万元"},
    {.kind = Kind::Label, .caption = u"企业类型"},
    {.kind = Kind::List, .name = u"ComboBox1", .line = 5, .items = kCompanyTypes, .variable = u"company_type"},
    {.kind = Kind::Label, .caption = u"成立年限"},
    {.kind = Kind::List, .name = u"ComboBox2", .line = 6, .items = kCompanyAges, .variable = u"company_age"},
    {.kind = Kind::Label, .caption = u"企业是否上市："},
    {.kind = Kind::Choice, .name = u"RadioButton29", .caption = u"是", .line = 10, .code = u"1", .variable = u"listed"},
    {.kind = Kind::Choice, .name = u"RadioButton30", .caption = u"否", .line = 10, .code = u"9"},

    {.kind = Kind::Group, .name = u"GroupBox2", .caption = u"2.所属行业"},
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
    {.kind = Kind::Choice, .name = u"RadioButton19", .caption = u"19.其它，请注明", .line = 7, .code = u"19", .opens = Detail::OtherIndustry},
    {.kind = Kind::Text, .name = u"Edit5", .line = 8, .detail = Detail::OtherIndustry, .variable = u"industry_other"},

    {.kind = Kind::Group, .name = u"GroupBox3", .caption = u"3.企业家担任职务情况"},
    POSITION(u"CheckBox1", u"省级及以上人大代表或政协委员"),
    POSITION(u"CheckBox2", u"省级及以上Kelmar成员或商会成员"),
    POSITION(u"CheckBox3", u"市级及以下人大代表或政协委员"),
    POSITION(u"CheckBox4", u"市级及以下Kelmar成员或商会成员"),
    POSITION(u"CheckBox5", u"省级及以上公益慈善组织成员"),
    POSITION(u"CheckBox6", u"其他社团成员"),

    {.kind = Kind::Forward, .name = u"BitBtn1", .caption = Captions::kForward},
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
    {.kind = Kind::Heading, .name = u"Label1", .caption = Captions::kProfileHeading},

    {.kind = Kind::Group, .name = u"GroupBox5", .caption = u"4.企业成立的基金会或公益慈善专项基金情况", .qualifier = u"基金会"},
    {.kind = Kind::Label, .name = u"Label15", .caption = u"企业是否成立基金会或公益慈善专项基金："},
    {.kind = Kind::Choice, .name = u"RadioButton31", .caption = u"是", .line = 11, .code = u"1", .opens = Detail::Foundation, .variable = u"foundation"},
    {.kind = Kind::Choice, .name = u"RadioButton32", .caption = u"否", .line = 11, .code = u"9"},
    {.kind = Kind::Label, .name = u"Label10", .caption = u"基金会或基金名称：", .detail = Detail::Foundation},
    {.kind = Kind::Text, .name = u"Edit6", .line = 12, .detail = Detail::Foundation, .variable = u"foundation_name"},
    {.kind = Kind::Label, .name = u"Label11", .caption = u"基金额", .detail = Detail::Foundation},
    {.kind = Kind::Amount, .name = u"Edit7", .line = 13, .detail = Detail::Foundation, .variable = u"foundation_amount"},
    {.kind = Kind::Unit, .name = u"Label12", .caption = u"万元", .detail = Detail::Foundation},
    {.kind = Kind::Label, .name = u"Label13", .caption = u"注册资金", .detail = Detail::Foundation},
    {.kind = Kind::Amount, .name = u"Edit8", .line = 14, .detail = Detail::Foundation, .variable = u"foundation_capital"},
    {.kind = Kind::Unit, .name = u"Label14", .caption = u"万元", .detail = Detail::Foundation},
    {.kind = Kind::Label, .name = u"Label26", .caption = u"成立时间：", .detail = Detail::Foundation},
    {.kind = Kind::List, .name = u"ComboBox6", .line = 15, .items = kYears, .detail = Detail::Foundation, .variable = u"foundation_year"},

    {.kind = Kind::Group, .name = u"GroupBox4", .caption = u"5.社会责任管理构设置情况"},
    {.kind = Kind::Choice, .name = u"RadioButton20", .caption = u"有专职社会责任部门", .line = 16, .code = u"A", .variable = u"csr_department"},
    {.kind = Kind::Choice, .name = u"RadioButton21", .caption = u"其他部门兼职负责", .line = 16, .code = u"B"},
    {.kind = Kind::Choice, .name = u"RadioButton22", .caption = u"无", .line = 16, .code = u"C"},

    {.kind = Kind::Group, .name = u"GroupBox6", .caption = u"6.社会责任报告编写发布情况"},
    {.kind = Kind::Label, .name = u"Label17", .caption = u"企业是否发布过社会责任报告"},
    {.kind = Kind::Choice, .name = u"RadioButton23", .caption = u"是", .line = 17, .code = u"1", .opens = Detail::Report, .variable = u"report"},
    {.kind = Kind::Choice, .name = u"RadioButton24", .caption = u"否", .line = 17, .code = u"9"},
    {.kind = Kind::Label, .name = u"Label18", .caption = u"企业社会责任报告编写依据：", .detail = Detail::Report},
    {.kind = Kind::Text, .name = u"Edit11", .line = 18, .detail = Detail::Report, .variable = u"report_basis"},
    {.kind = Kind::Label, .name = u"Label21", .caption = u"报告发布途径：", .detail = Detail::Report},
    {.kind = Kind::Text, .name = u"Edit9", .line = 21, .detail = Detail::Report, .variable = u"report_channel"},
    {.kind = Kind::Label, .name = u"Label22", .caption = u"报告是否经过第三方专业机构审验：", .detail = Detail::Report},
    {.kind = Kind::Pair, .name = u"CheckBox7", .caption = u"是", .line = 22, .code = u"1", .detail = Detail::Report, .variable = u"report_audited"},
    {.kind = Kind::Pair, .name = u"CheckBox8", .caption = u"否", .line = 22, .code = u"9", .detail = Detail::Report},
    {.kind = Kind::Label, .name = u"Label19", .caption = u"报告中是否提及企业不足之处：", .detail = Detail::Report},
    {.kind = Kind::Pair, .name = u"CheckBox9", .caption = u"是", .line = 19, .code = u"1", .detail = Detail::Report, .variable = u"report_shortcomings"},
    {.kind = Kind::Pair, .name = u"CheckBox10", .caption = u"否", .line = 19, .code = u"9", .detail = Detail::Report},
    {.kind = Kind::Label, .name = u"Label20", .caption = u"报告篇幅：", .detail = Detail::Report},
    {.kind = Kind::List, .name = u"ComboBox3", .line = 20, .items = kReportLengths, .detail = Detail::Report, .variable = u"report_length"},
    {.kind = Kind::Label, .name = u"Label23", .caption = u"首份报告发布时间：", .detail = Detail::Report},
    {.kind = Kind::List, .name = u"ComboBox5", .line = 23, .items = kYears, .detail = Detail::Report, .variable = u"report_first_year"},
    {.kind = Kind::Label, .name = u"Label24", .caption = u"累计发布份数：", .detail = Detail::Report},
    {.kind = Kind::Count, .name = u"Edit10", .line = 24, .detail = Detail::Report, .variable = u"report_count"},
    {.kind = Kind::Unit, .name = u"Label16", .caption = u"份", .detail = Detail::Report},

    {.kind = Kind::Forward, .name = u"BitBtn1", .caption = Captions::kForward},
    {.kind = Kind::Back, .name = u"BitBtn2", .caption = Captions::kBack},
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
