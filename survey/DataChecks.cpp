// The table of data checks and what it says in words. The table names each
// answer by its data-set name once; DataCheckLines turns the names into
// lines, codes and words, once, at the first use (an unknown name there is a
// fault of the table and stops).
#include "survey/DataChecks.h"

#include "survey/LineMap.h"

namespace DataChecks {
namespace {

// clang-format off
constexpr QStringView kEmployeeParts[] = {u"contracted_employees", u"insured_employees", u"housing_fund_employees"};
constexpr QStringView kRevenueParts[] = {u"taxes", u"rnd", u"environment"};
constexpr QStringView kCounts[] = {u"employees", u"contracted_employees", u"insured_employees",
                                   u"housing_fund_employees", u"trainees", u"patents", u"projects",
                                   u"jobs_created", u"lifted_from_poverty", u"report_count"};

constexpr Condition kOtherDisclosure[] = {
    {u"q02_a", Test::Ticked}, {u"q02_b", Test::Ticked}, {u"q02_c", Test::Ticked}, {u"q02_d", Test::Ticked},
    {u"q02_f", Test::Ticked}};
constexpr Condition kReportDisclosure[] = {{u"q02_a", Test::Ticked}};
constexpr Condition kNeverDisclosed[] = {{u"q02_e", Test::Ticked}};
constexpr Rule kContradictoryTicks[] = {
    {.when = {u"q02_e", Test::Ticked}, .with = kOtherDisclosure},
    {.when = {u"report", Test::Chosen, u"否"}, .with = kReportDisclosure},
    {.when = {u"report", Test::Chosen, u"是"}, .with = kNeverDisclosed},
};

constexpr Condition kNotJointStock[] = {{u"company_type", Test::NotChosen, u"股份有限公司"}};
constexpr Rule kListedCompany[] = {{.when = {u"listed", Test::Chosen, u"是"}, .with = kNotJointStock}};

constexpr Condition kNoReportCounted[] = {{u"report_count", Test::Zero}};
constexpr Rule kReportsCounted[] = {{.when = {u"report", Test::Chosen, u"是"}, .with = kNoReportCounted}};

constexpr Condition kProjectFunds[] = {{u"project_funds", Test::AboveZero}};
constexpr Rule kProjectsFunded[] = {{.when = {u"projects", Test::Zero}, .with = kProjectFunds}};

constexpr Check kChecks[] = {
    {.id = u"part_exceeds_whole", .title = u"部分大于总数",
     .description = u"签订劳动合同、缴纳社保或缴纳公积金的员工数多于同一年的员工总数。",
     .severity = Severity::Error, .kind = Kind::AtMost, .whole = u"employees", .parts = kEmployeeParts},
    {.id = u"amount_exceeds_revenue", .title = u"金额大于营业收入",
     .description = u"缴纳税金、研发投入、环保投入，或公益慈善各领域投入的合计，多于同一年的营业收入总额。",
     .severity = Severity::Doubt, .kind = Kind::AtMost, .whole = u"revenue", .parts = kRevenueParts,
     .summedTab = u"TabSheet2"},
    {.id = u"unit_slip", .title = u"疑似单位误填",
     .description = u"同一项金额，2014年是2013年的 {slipLow} 到 {slipHigh} 倍，或 {slipHigh} 分之一到 {slipLow} 分之一："
                    u"有一年可能是以元而不是以万元填写的（再加上当年的增减）。",
     .severity = Severity::Doubt, .kind = Kind::UnitSlip, .amountsOnly = true},
    {.id = u"year_jump", .title = u"两年相差悬殊",
     .description = u"同一项数字，2014年是2013年的 {jump} 倍以上或 {jump} 分之一以下（两年都大于 0）。",
     .severity = Severity::Doubt, .kind = Kind::Jump},
    {.id = u"count_not_whole", .title = u"人数或个数不是整数",
     .description = u"人数、人次、专利数、项目数或累计发布报告份数带有小数（如员工总数 120.5）。",
     .severity = Severity::Doubt, .kind = Kind::Whole, .parts = kCounts},
    {.id = u"contradictory_ticks", .title = u"选项互相矛盾",
     .description = u"第2题（信息披露途径）选了“从未进行披露”又选了其他途径（A–D 或“F. 其他”）；或未发布过社会责任报告，"
                    u"却选了“公开发布社会责任报告”；或发布过报告，却选了“从未进行披露”。",
     .severity = Severity::Doubt, .kind = Kind::Conflict, .rules = kContradictoryTicks},
    {.id = u"listed_not_joint_stock", .title = u"上市企业不是股份有限公司",
     .description = u"企业已上市，企业类型却不是股份有限公司（在中国，上市公司都是股份有限公司）。",
     .severity = Severity::Doubt, .kind = Kind::Conflict, .rules = kListedCompany},
    {.id = u"report_count_zero", .title = u"发布过报告但份数为 0",
     .description = u"企业发布过社会责任报告，累计发布份数却是 0。",
     .severity = Severity::Error, .kind = Kind::Conflict, .rules = kReportsCounted},
    {.id = u"projects_zero_with_funds", .title = u"无项目却有到位资金",
     .description = u"参与Solvane事业项目总数为 0，同一年的项目年度到位资金却大于 0。",
     .severity = Severity::Error, .kind = Kind::Conflict, .rules = kProjectsFunded},
    {.id = u"same_enterprise_twice", .title = u"同一企业疑似填报两次",
     .description = u"两个文件的注册全称只在全角半角、英文字母大小写、空格、中英文括号或“有限责任公司”与“有限公司”上不同，"
                    u"可能是同一企业填报了两次。两个文件都已汇总，请人工判断。",
     .severity = Severity::Doubt, .kind = Kind::SameEnterprise, .nameVariable = u"name"},
};
static_assert(std::size(kChecks) <= sizeof(CheckSet) * 8, "a record's checks are kept as the bits of a CheckSet");
// clang-format on

} // namespace

std::span<const Check> all()
{
    return kChecks;
}

const Check *find(QStringView id)
{
    for (const Check &check : kChecks)
        if (check.id == id)
            return &check;
    return nullptr;
}

QString severityText(Severity severity)
{
    return severity == Severity::Error ? QStringLiteral("错误") : QStringLiteral("疑问");
}

QString description(const Check &check)
{
    return check.description.toString()
        .replace(QStringLiteral("{slipLow}"), QString::number(kUnitSlipLow))
        .replace(QStringLiteral("{slipHigh}"), QString::number(kUnitSlipHigh))
        .replace(QStringLiteral("{jump}"), QString::number(kJumpFactor));
}

QString nameKey(QStringView name)
{
    QString key(name.size(), Qt::Uninitialized);
    QChar *out = key.data();
    for (QChar c : name) {
        char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E) // full-width ASCII
            u = char16_t(u - 0xFEE0);
        const bool blank = u < 0x80 ? u == ' ' || (u >= '\t' && u <= '\r') : QChar::isSpace(u);
        if (u >= 'A' && u <= 'Z')
            u = char16_t(u + ('a' - 'A'));
        else if (u >= 0x80 && QChar::script(u) == QChar::Script_Latin)
            u = char16_t(QChar::toCaseFolded(u));
        if (!blank)
            *out++ = QChar(u);
    }
    key.truncate(out - key.constData());
    return key.replace(QStringLiteral("有限责任公司"), QStringLiteral("有限公司"));
}

QString nameLabel(const Check &check)
{
    const Survey::Line *line = Survey::lineByVariable(check.nameVariable);
    return line ? line->question.simplified() : QString();
}

} // namespace DataChecks
