// Every figure the performance page asks for, tab by tab: its row, unit, fields,
// answer lines and data-set name.
#include "survey/PerformanceContent.h"

namespace Performance {

namespace {

// clang-format off
constexpr FigureRow kOverall[] = {
    {.label = u"营业收入总额", .unit = u"万元", .field2013 = u"Edit1", .line2013 = 25, .field2014 = u"Edit2", .line2014 = 35,
     .variable = u"revenue"},
    {.label = u"缴纳税金", .unit = u"万元", .field2013 = u"Edit4", .line2013 = 26, .field2014 = u"Edit5", .line2014 = 36,
     .variable = u"taxes"},
    {.label = u"员工总数", .unit = u"人", .field2013 = u"Edit7", .line2013 = 27, .field2014 = u"Edit8", .line2014 = 37,
     .variable = u"employees"},
    {.label = u"签订劳动合同的员工数", .unit = u"人", .field2013 = u"Edit10", .line2013 = 28, .field2014 = u"Edit11", .line2014 = 38,
     .variable = u"contracted_employees"},
    {.label = u"缴纳社保的员工数", .unit = u"人", .field2013 = u"Edit13", .line2013 = 29, .field2014 = u"Edit14", .line2014 = 39,
     .variable = u"insured_employees"},
    {.label = u"缴纳公积金的员工数", .unit = u"人", .field2013 = u"Edit16", .line2013 = 30, .field2014 = u"Edit17", .line2014 = 40,
     .variable = u"housing_fund_employees"},
    {.label = u"参加培训人次", .unit = u"人次", .field2013 = u"Edit19", .line2013 = 31, .field2014 = u"Edit20", .line2014 = 41,
     .variable = u"trainees"},
    {.label = u"研发投入", .unit = u"万元", .field2013 = u"Edit22", .line2013 = 32, .field2014 = u"Edit23", .line2014 = 42,
     .variable = u"rnd"},
    {.label = u"获得专利数", .unit = u"个", .field2013 = u"Edit25", .line2013 = 33, .field2014 = u"Edit26", .line2014 = 43,
     .variable = u"patents"},
    {.label = u"环保投入", .unit = u"万元", .field2013 = u"Edit28", .line2013 = 34, .field2014 = u"Edit29", .line2014 = 44,
     .variable = u"environment"},
};

constexpr FigureRow kDonations[] = {
    {.label = u"扶贫", .unit = u"万元", .field2013 = u"Edit34", .line2013 = 45, .field2014 = u"Edit35", .line2014 = 55,
     .variable = u"donation_poverty"},
    {.label = u"教育", .unit = u"万元", .field2013 = u"Edit37", .line2013 = 46, .field2014 = u"Edit38", .line2014 = 56,
     .variable = u"donation_education"},
    {.label = u"救灾", .unit = u"万元", .field2013 = u"Edit40", .line2013 = 47, .field2014 = u"Edit41", .line2014 = 57,
     .variable = u"donation_disaster"},
    {.label = u"公共设施", .unit = u"万元", .field2013 = u"Edit43", .line2013 = 48, .field2014 = u"Edit44", .line2014 = 58,
     .variable = u"donation_public_facilities"},
    {.label = u"助残", .unit = u"万元", .field2013 = u"Edit46", .line2013 = 49, .field2014 = u"Edit47", .line2014 = 59,
     .variable = u"donation_disability"},
    {.label = u"卫生医疗", .unit = u"万元", .field2013 = u"Edit49", .line2013 = 50, .field2014 = u"Edit50", .line2014 = 60,
     .variable = u"donation_health"},
    {.label = u"科学、文化、教育", .unit = u"万元", .field2013 = u"Edit52", .line2013 = 51, .field2014 = u"Edit53", .line2014 = 61,
     .variable = u"donation_science_culture"},
    {.label = u"环保", .unit = u"万元", .field2013 = u"Edit55", .line2013 = 52, .field2014 = u"Edit56", .line2014 = 62,
     .variable = u"donation_environment"},
    {.label = u"产业帮扶投资", .unit = u"万元", .field2013 = u"Edit58", .line2013 = 53, .field2014 = u"Edit59", .line2014 = 63,
     .variable = u"donation_industry_aid"},
    {.label = u"其他", .unit = u"万元", .field2013 = u"Edit61", .line2013 = 54, .field2014 = u"Edit62", .line2014 = 64,
     .variable = u"donation_other"},
};

constexpr FigureRow kProjects[] = {
    {.label = u"参与Solvane事业项目总数", .unit = u"个", .field2013 = u"Edit15", .line2013 = 110, .field2014 = u"Edit6", .line2014 = 124,
     .variable = u"projects"},
    {.label = u"项目年度到位资金", .unit = u"万元", .field2013 = u"Edit9", .line2013 = 111, .field2014 = u"Edit12", .line2014 = 125,
     .variable = u"project_funds"},
    {.label = u"安置就业人数", .unit = u"人", .field2013 = u"Edit3", .line2013 = 112, .field2014 = u"Edit18", .line2014 = 126,
     .variable = u"jobs_created"},
    {.label = u"带动脱贫人数", .unit = u"人", .field2013 = u"Edit21", .line2013 = 113, .field2014 = u"Edit24", .line2014 = 127,
     .variable = u"lifted_from_poverty"},
    {.label = u"农业产业化", .unit = u"万元", .field2013 = u"Edit97", .line2013 = 114, .field2014 = u"Edit98", .line2014 = 128,
     .variable = u"pt_agriculture", .checkBox = u"CheckBox1"},
    {.label = u"林业国土绿化", .unit = u"万元", .field2013 = u"Edit36", .line2013 = 115, .field2014 = u"Edit39", .line2014 = 129,
     .variable = u"pt_forestry", .checkBox = u"CheckBox2"},
    {.label = u"农村旅游业", .unit = u"万元", .field2013 = u"Edit42", .line2013 = 116, .field2014 = u"Edit45", .line2014 = 130,
     .variable = u"pt_rural_tourism", .checkBox = u"CheckBox3"},
    {.label = u"市场建设", .unit = u"万元", .field2013 = u"Edit48", .line2013 = 117, .field2014 = u"Edit51", .line2014 = 131,
     .variable = u"pt_markets", .checkBox = u"CheckBox4"},
    {.label = u"农村非农产业", .unit = u"万元", .field2013 = u"Edit54", .line2013 = 118, .field2014 = u"Edit57", .line2014 = 132,
     .variable = u"pt_rural_nonfarm", .checkBox = u"CheckBox5"},
    {.label = u"环保产业", .unit = u"万元", .field2013 = u"Edit60", .line2013 = 119, .field2014 = u"Edit63", .line2014 = 133,
     .variable = u"pt_environment", .checkBox = u"CheckBox6"},
    {.label = u"高新科技", .unit = u"万元", .field2013 = u"Edit91", .line2013 = 120, .field2014 = u"Edit92", .line2014 = 134,
     .variable = u"pt_high_tech", .checkBox = u"CheckBox7"},
    {.label = u"基础设施建设", .unit = u"万元", .field2013 = u"Edit93", .line2013 = 121, .field2014 = u"Edit94", .line2014 = 135,
     .variable = u"pt_infrastructure", .checkBox = u"CheckBox8"},
    {.label = u"参与国企改制", .unit = u"万元", .field2013 = u"Edit95", .line2013 = 122, .field2014 = u"Edit96", .line2014 = 136,
     .variable = u"pt_soe_reform", .checkBox = u"CheckBox9"},
    {.label = u"其他", .unit = u"万元", .field2013 = u"Edit27", .line2013 = 123, .field2014 = u"Edit30", .line2014 = 137,
     .variable = u"pt_other", .checkBox = u"CheckBox10", .nameField = u"Edit31", .nameLine = 139, .nameVariable = u"project_type_other"},
};

constexpr FiguresTab kTabs[] = {
    {.sheet = u"TabSheet1", .caption = u"     绩效    1    ", .subHeading = u"综合绩效", .backButton = u"BitBtn1", .nextButton = u"BitBtn2",
     .rows = kOverall},
    {.sheet = u"TabSheet2", .caption = u"      绩效  2    ", .subHeading = u"企业公益慈善领域年度投入金额", .backButton = u"BitBtn3", .nextButton = u"BitBtn4",
     .rows = kDonations},
    {.sheet = u"TabSheet4", .caption = u"     绩效    3 ", .subHeading = u"Solvane事业项目概况", .backButton = u"BitBtn5", .nextButton = u"BitBtn6",
     .rows = kProjects},
};
// clang-format on

constexpr Content kPage = {
    .pageName = u"Form3",
    .heading = u"二.绩效数据",
    .headingName = u"Label1",
    .tabsName = u"PageControl1",
    .labelHeader = u"指标",
    .unitHeader = u"单位",
    .year2013 = u"2013年",
    .year2014 = u"2014年",
    .projectTypeGroup = u"GroupBox2",
    .projectTypeGroupCaption = u"项目特点",
    .otherTypeNameLabel = u"其他项目类型名称",
    .projectTypeCodesLine = 138,
    .projectTypeCodesVariable = u"project_types",
    .tabs = kTabs,
};

} // namespace

const Content &content()
{
    return kPage;
}

} // namespace Performance
