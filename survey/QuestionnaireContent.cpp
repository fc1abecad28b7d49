// The 23 questions, their options character for character, and the lines
// their codes and other texts go to.
#include "survey/QuestionnaireContent.h"

namespace Questionnaire {
namespace {

// Options of each question, in code-position order. Captions are shown character for character:
// blanks, full-width marks, the two "F" of question 3 and the trailing tabs included.
constexpr Option kQuestion1[] = {
    {.box = u"CheckBox1", .caption = u"A. 诚信经营，为消费者提供质优价廉的产品与服务"},
    {.box = u"CheckBox2", .caption = u"B. 关爱员工，企业与员工共同发展"},
    {.box = u"CheckBox3", .caption = u"C. 尊重商业合作伙伴，维护市场公平秩序"},
    {.box = u"CheckBox4", .caption = u"D. 节能减排，保护环境"},
    {.box = u"CheckBox5", .caption = u"E. 热心公益、参与慈善，与社会共享发展成果"},
    {.box = u"CheckBox23", .caption = u"F. 其他"},
};
constexpr Option kQuestion2[] = {
    {.box = u"CheckBox6", .caption = u"A. 公开发布社会责任报告进行全面披露"},
    {.box = u"CheckBox7", .caption = u"B. 在财务信息报告中披露部分相关内容 "},
    {.box = u"CheckBox8", .caption = u"C. 通过媒体或企业自身网站等展示责任实践"},
    {.box = u"CheckBox9", .caption = u"D. 举办或参与社会责任相关内容的沟通交流活动"},
    {.box = u"CheckBox10", .caption = u"E. 从未进行披露"},
    {.box = u"CheckBox11", .caption = u"F. 其他"},
};
constexpr Option kQuestion3[] = {
    {.box = u"CheckBox12", .caption = u"A. 通过ISO9000系列国际质量认证"},
    {.box = u"CheckBox13", .caption = u"B. 通过OHSAS18000职业健康安全管理体系认证 "},
    {.box = u"CheckBox14", .caption = u"C. 通过ISO14000环境管理体系认证"},
    {.box = u"CheckBox15", .caption = u"D. 通通过SA8000社会责任认证"},
    {.box = u"CheckBox24", .caption = u"E. CCC认证"},
    {.box = u"CheckBox25", .caption = u"F . CQC认证"},
    {.box = u"CheckBox26", .caption = u"G. 中国环境标志认证"},
    {.box = u"CheckBox27", .caption = u"H. UL认证"},
    {.box = u"CheckBox28", .caption = u"F. 其他"},
};
constexpr Option kQuestion4[] = {
    {.box = u"CheckBox16", .caption = u"A. 提供培训、咨询与指导服务 "},
    {.box = u"CheckBox17", .caption = u"B. 制定、完善评价体系，建立表彰奖励先进和失责惩戒机制"},
    {.box = u"CheckBox18", .caption = u"C. 鼓励依法尽责，不搞强制捐赠"},
    {.box = u"CheckBox19", .caption = u"D. 引进专业机构人才，帮助企业开展社会责任战略管理"},
    {.box = u"CheckBox20", .caption = u"E. 宣传优秀典型实践企业和人物，营造鼓励履责舆论氛围"},
    {.box = u"CheckBox21", .caption = u"F. 其他"},
};
constexpr Option kQuestion5[] = {
    {.box = u"CheckBox32", .caption = u"A. 加薪"},       {.box = u"CheckBox33", .caption = u"B. 年薪制 "},
    {.box = u"CheckBox34", .caption = u"C. 经营者持股"}, {.box = u"CheckBox35", .caption = u"D. 激励基金"},
    {.box = u"CheckBox36", .caption = u"E. 股票期权"},   {.box = u"CheckBox37", .caption = u"F. 其他"},
};
constexpr Option kQuestion6[] = {
    {.box = u"CheckBox38", .caption = u"A. 企业年金"},       {.box = u"CheckBox39", .caption = u"B. 宿舍"},
    {.box = u"CheckBox40", .caption = u"C. 交通补贴"},       {.box = u"CheckBox41", .caption = u"D. 集体旅游"},
    {.box = u"CheckBox42", .caption = u"E. 食堂"},           {.box = u"CheckBox43", .caption = u"F. 降温费、取暖费"},
    {.box = u"CheckBox44", .caption = u"G. 节日、生日福利"}, {.box = u"CheckBox45", .caption = u"H. 文化、体育设施"},
    {.box = u"CheckBox46", .caption = u"I. 补充保险"},       {.box = u"CheckBox47", .caption = u"J . 其他"},
};
constexpr Option kQuestion7[] = {
    {.box = u"CheckBox48", .caption = u"A. 建立现场安全管理制度"},
    {.box = u"CheckBox49", .caption = u"B. 设置专职安全管理部门或人员"},
    {.box = u"CheckBox50", .caption = u"C. 健康体检"},
    {.box = u"CheckBox51", .caption = u"D. 劳动保护设施或劳动保护用品"},
    {.box = u"CheckBox52", .caption = u"E. 健康与安全宣传教育"},
    {.box = u"CheckBox53", .caption = u"F. 员工医疗室/医院"},
    {.box = u"CheckBox54", .caption = u"G. 安全事故应急处理机制"},
    {.box = u"CheckBox128", .caption = u"H. 员工心理援助计划（EAP）"},
    {.box = u"CheckBox55", .caption = u"I. 其他"},
};
constexpr Option kQuestion8[] = {
    {.box = u"CheckBox56", .caption = u"A. 岗位培训 "},    {.box = u"CheckBox57", .caption = u"B. 技能培训"},
    {.box = u"CheckBox58", .caption = u" C. 学历培训"},    {.box = u"CheckBox59", .caption = u"D. 职业健康知识"},
    {.box = u"CheckBox60", .caption = u"E. 安全生产培训"}, {.box = u"CheckBox61", .caption = u" F. 企业文化培训"},
    {.box = u"CheckBox62", .caption = u"G. 环保培训"},     {.box = u"CheckBox63", .caption = u"H. 其他"},
};
constexpr Option kQuestion9[] = {
    {.box = u"CheckBox64", .caption = u"A. 国内进修"},
    {.box = u"CheckBox65", .caption = u"B. 国外进修 "},
    {.box = u"CheckBox66", .caption = u"C. 企业间学习交流"},
    {.box = u"CheckBox67", .caption = u"D. 企业外聘专家培训"},
    {.box = u"CheckBox68", .caption = u"E. 企业内部师资培训"},
    {.box = u"CheckBox69", .caption = u"F. 其他"},
};
constexpr Option kQuestion10[] = {
    {.box = u"CheckBox70", .caption = u"A. 党组织"},
    {.box = u"CheckBox71", .caption = u"B. 工会 "},
    {.box = u"CheckBox72", .caption = u" C. 团组织"},
    {.box = u"CheckBox73", .caption = u"D. 其他"},
};
constexpr Option kQuestion11[] = {
    {.box = u"CheckBox74", .caption = u"A. 职代会 "},    {.box = u"CheckBox75", .caption = u"B. 厂务公开"},
    {.box = u"CheckBox76", .caption = u"C. 面对面沟通"}, {.box = u"CheckBox77", .caption = u"D. 自有媒介"},
    {.box = u"CheckBox78", .caption = u"E. 民主恳谈会"}, {.box = u"CheckBox79", .caption = u"F. 领导信箱"},
    {.box = u"CheckBox80", .caption = u"G. 其他"},
};
constexpr Option kQuestion12[] = {
    {.box = u"CheckBox81", .caption = u"A．设立员工活动中心 "},
    {.box = u"CheckBox82", .caption = u"B. 开展员工文化娱乐活动 "},
    {.box = u"CheckBox83", .caption = u"C. 帮扶困难员工 "},
    {.box = u"CheckBox84", .caption = u"D. 关注员工及家属身心健康"},
    {.box = u"CheckBox85", .caption = u"E. 其他"},
};
constexpr Option kQuestion13[] = {
    {.box = u"CheckBox86", .caption = u"A. 国家标准"}, {.box = u"CheckBox87", .caption = u" B. 地方标准"},
    {.box = u"CheckBox88", .caption = u"C. 行业标准"}, {.box = u"CheckBox89", .caption = u"D. 企业标准"},
    {.box = u"CheckBox90", .caption = u" E. 其他"},
};
constexpr Option kQuestion14[] = {
    {.box = u"CheckBox22", .caption = u"A. 领导对产品改进和技术创新有效引导"},
    {.box = u"CheckBox29", .caption = u"B. 培训员工的业务技能、激励员工创新热情"},
    {.box = u"CheckBox30", .caption = u"C. 顾客参与产品研发过程"},
    {.box = u"CheckBox31", .caption = u"D. 实施企业自我评价和改进制度"},
    {.box = u"CheckBox153", .caption = u" E. 其他"},
};
constexpr Option kQuestion15[] = {
    {.box = u"CheckBox96", .caption = u"A. 建立全面的售后服务制度"},
    {.box = u"CheckBox97", .caption = u"B. 设立专门的产品售后服务部门"},
    {.box = u"CheckBox98", .caption = u"C. 设立覆盖全面的维修网点"},
    {.box = u"CheckBox99", .caption = u"D. 建立缺陷产品召回制度 "},
    {.box = u"CheckBox100", .caption = u"E. 其他"},
};
constexpr Option kQuestion16[] = {
    {.box = u"CheckBox101", .caption = u"A. 建立客户关系管理组织机构"},
    {.box = u"CheckBox102", .caption = u"B. 实施投诉响应与处理措施 "},
    {.box = u"CheckBox103", .caption = u"C. 建立沟通机制"},
    {.box = u"CheckBox104", .caption = u"D. 建立客户信息档案，并保密"},
    {.box = u"CheckBox105", .caption = u"E. 导入客户关系管理（CRM）"},
    {.box = u"CheckBox106", .caption = u"F. 客户满意度调查"},
    {.box = u"CheckBox107", .caption = u"G. 其他"},
};
constexpr Option kQuestion17[] = {
    {.box = u"CheckBox114", .caption = u"A. 无纸化办公"},
    {.box = u"CheckBox115", .caption = u" B. 采用节能设备、设施"},
    {.box = u"CheckBox116", .caption = u"C. 物耗、水耗、能耗定额管理"},
    {.box = u"CheckBox117", .caption = u"D. 低碳出行"},
    {.box = u"CheckBox118", .caption = u" E. 办公用品回收再利用 "},
    {.box = u"CheckBox119", .caption = u"F. 采购绿色办公用品"},
    {.box = u"CheckBox120", .caption = u"G. 其他"},
};
constexpr Option kQuestion18[] = {
    {.box = u"CheckBox121", .caption = u"A. 使用可再生能源，开发利用新能源"},
    {.box = u"CheckBox122", .caption = u"B. 采用易回收、易拆解、易降解的材料和设计方案"},
    {.box = u"CheckBox123", .caption = u"C. 对资源能源消耗状况进行监控和分析"},
    {.box = u"CheckBox124", .caption = u"D. 对资源能源进行分类、梯级利用"},
    {.box = u"CheckBox125", .caption = u"E. 开发、引进节能技术、工艺、设备、设施"},
    {.box = u"CheckBox126", .caption = u"F. 实行废物综合利用"},
    {.box = u"CheckBox127", .caption = u"G. 其他"},
};
constexpr Option kQuestion19[] = {
    {.box = u"CheckBox91", .caption = u"A. 淘汰高耗能、高污染的产品"},
    {.box = u"CheckBox92", .caption = u"B. 提高现有产品环保性能 "},
    {.box = u"CheckBox93", .caption = u"C. 研发新型环保产"},
    {.box = u"CheckBox94", .caption = u"D. 转向投资低污染、低耗能产业"},
    {.box = u"CheckBox109", .caption = u"E. 其他"},
};
constexpr Option kQuestion20[] = {
    {.box = u"CheckBox95", .caption = u"A. 技术支持\t"}, {.box = u"CheckBox108", .caption = u"B. 培训交流"},
    {.box = u"CheckBox110", .caption = u"C. 资源共享 "}, {.box = u"CheckBox111", .caption = u"D. 资金支持"},
    {.box = u"CheckBox112", .caption = u"E. 项目对接"},  {.box = u"CheckBox113", .caption = u"F. 人才支持"},
    {.box = u"CheckBox154", .caption = u"G. 其他"},
};
constexpr Option kQuestion21[] = {
    {.box = u"CheckBox135", .caption = u"A. 产品质量与价格"},
    {.box = u"CheckBox136", .caption = u"B. 公平竞争，不搞商业贿赂\t"},
    {.box = u"CheckBox137", .caption = u"C. 员工权益与发展  "},
    {.box = u"CheckBox138", .caption = u"D. 节能减排与环境保护\t"},
    {.box = u"CheckBox139", .caption = u"E. 参与公益慈善活动"},
};
constexpr Option kQuestion22[] = {
    {.box = u"CheckBox140", .caption = u"A. 实施供应链企业审核"},
    {.box = u"CheckBox141", .caption = u"B. 提供系统、多元的社会责任培训"},
    {.box = u"CheckBox142", .caption = u"C. 开展企业社会责任沟通交流"},
    {.box = u"CheckBox143", .caption = u"D. 建立企业社会责任激励机制"},
    {.box = u"CheckBox129", .caption = u"E. 防治腐败和商业贿赂"},
    {.box = u"CheckBox144", .caption = u"F. 其他"},
};
constexpr Option kQuestion23[] = {
    {.box = u"CheckBox145", .caption = u"A. 依法对社区资源利用进行合理补偿 "},
    {.box = u"CheckBox146", .caption = u"B. 推动当地基础设施建设"},
    {.box = u"CheckBox147", .caption = u"C. 改善社区环境 "},
    {.box = u"CheckBox148", .caption = u"D. 尊重当地文化 "},
    {.box = u"CheckBox149", .caption = u"E. 为社区发展捐款捐物 "},
    {.box = u"CheckBox150", .caption = u"F. 促进本地就业"},
    {.box = u"CheckBox130", .caption = u"G. 安置下岗职工、复转军人、残疾人等特殊人群就业"},
    {.box = u"CheckBox151", .caption = u"H. 鼓励员工提供志愿者服务"},
    {.box = u"CheckBox152", .caption = u"I. 其他"},
};

constexpr Question kTab1[] = {
    {.groupBox = u"GroupBox1",
     .caption = u"1.  以下选项中企业认为较重要的三项：",
     .options = kQuestion1,
     .codeLine = 65,
     .otherField = u"Edit4",
     .otherLine = 88},
    {.groupBox = u"GroupBox2",
     .caption = u"2.  企业社会责任信息披露的主要途径有：",
     .options = kQuestion2,
     .codeLine = 66,
     .otherField = u"Edit1",
     .otherLine = 89},
    {.groupBox = u"GroupBox3",
     .caption = u"3.  企业通过管理体系认证的情况：",
     .options = kQuestion3,
     .codeLine = 67,
     .otherField = u"Edit17",
     .otherLine = 90},
    {.groupBox = u"GroupBox4",
     .caption = u"4. 企业希望相关部门采取哪些措施来帮助企业开展社会责任工作：",
     .options = kQuestion4,
     .codeLine = 68,
     .otherField = u"Edit20",
     .otherLine = 91},
    {.groupBox = u"GroupBox7",
     .caption = u"5.  企业采取的薪酬激励方式有：",
     .options = kQuestion5,
     .codeLine = 69,
     .otherField = u"Edit5",
     .otherLine = 92},
};

constexpr Question kTab2[] = {
    {.groupBox = u"GroupBox8",
     .caption = u"6.  企业为员工提供的福利措施有：",
     .options = kQuestion6,
     .codeLine = 70,
     .otherField = u"Edit6",
     .otherLine = 93},
    {.groupBox = u"GroupBox9",
     .caption = u"7. 企业在保障员工健康与安全方面采取的措施有：",
     .options = kQuestion7,
     .codeLine = 71,
     .otherField = u"Edit7",
     .otherLine = 94},
    {.groupBox = u"GroupBox10",
     .caption = u"8. 企业培训内容主要包括:",
     .options = kQuestion8,
     .codeLine = 72,
     .otherField = u"Edit8",
     .otherLine = 95},
    {.groupBox = u"GroupBox11",
     .caption = u"9. 企业采用的培训方式包括：",
     .options = kQuestion9,
     .codeLine = 73,
     .otherField = u"Edit9",
     .otherLine = 96},
    {.groupBox = u"GroupBox12",
     .caption = u"10. 企业建立的民主化管理组织有：",
     .options = kQuestion10,
     .codeLine = 74,
     .otherField = u"Edit10",
     .otherLine = 97},
};

constexpr Question kTab3[] = {
    {.groupBox = u"GroupBox13",
     .caption = u"11. 企业采取的多样化民主沟通渠道包括：",
     .options = kQuestion11,
     .codeLine = 75,
     .otherField = u"Edit11",
     .otherLine = 98},
    {.groupBox = u"GroupBox14",
     .caption = u"12. 企业关爱员工的方式包括：",
     .options = kQuestion12,
     .codeLine = 76,
     .otherField = u"Edit12",
     .otherLine = 99},
    {.groupBox = u"GroupBox15",
     .caption = u"13. 企业主营产品在生产和经营中执行哪些标准：",
     .options = kQuestion13,
     .codeLine = 77,
     .otherField = u"Edit13",
     .otherLine = 100},
    {.groupBox = u"GroupBox5",
     .caption = u"14. 企业采取促进产品质量改进和创新的措施有：",
     .options = kQuestion14,
     .codeLine = 78,
     .otherField = u"Edit2",
     .otherLine = 101},
    {.groupBox = u"GroupBox17",
     .caption = u"15. 企业采取的售后保障措施有：",
     .options = kQuestion15,
     .codeLine = 79,
     .otherField = u"Edit15",
     .otherLine = 102},
};

constexpr Question kTab4[] = {
    {.groupBox = u"GroupBox18",
     .caption = u"16. 企业实施的客户关系维护措施有：",
     .options = kQuestion16,
     .codeLine = 80,
     .otherField = u"Edit16",
     .otherLine = 103},
    {.groupBox = u"GroupBox20",
     .caption = u"17. 企业制定的绿色办公措施有：",
     .options = kQuestion17,
     .codeLine = 81,
     .otherField = u"Edit18",
     .otherLine = 104},
    {.groupBox = u"GroupBox21",
     .caption = u"18. 企业采取的节能减排措施有：",
     .options = kQuestion18,
     .codeLine = 82,
     .otherField = u"Edit19",
     .otherLine = 105},
    {.groupBox = u"GroupBox6",
     .caption = u"19. 企业在产业结构调整方面做了哪些努力：",
     .options = kQuestion19,
     .codeLine = 83,
     .otherField = u"Edit3",
     .otherLine = 106},
    {.groupBox = u"GroupBox16",
     .caption = u"20. 企业通过哪些途径实现与供应链企业的共赢发展：",
     .options = kQuestion20,
     .codeLine = 84,
     .otherField = u"Edit14",
     .otherLine = 107},
};

constexpr Question kTab5[] = {
    {.groupBox = u"GroupBox23",
     .caption = u"21. 企业从社会责任角度选择供应商时考虑的因素依次是：（请按重要性依次点击选项）",
     .options = kQuestion21,
     .codeLine = 85,
     .rankLetters = u"ABCDE"},
    {.groupBox = u"GroupBox24",
     .caption = u"22. 企业为提升供应链社会责任水平采取的措施有：",
     .options = kQuestion22,
     .codeLine = 86,
     .otherField = u"Edit22",
     .otherLine = 108},
    {.groupBox = u"GroupBox25",
     .caption = u"23. 企业参与社区建设的途径有：",
     .options = kQuestion23,
     .codeLine = 87,
     .otherField = u"Edit23",
     .otherLine = 109},
};

constexpr Tab kTabs[] = {
    {.sheet = u"TabSheet1",
     .title = u"1-5题",
     .questions = kTab1,
     .backButton = u"BitBtn1",
     .forwardButton = u"BitBtn2"},
    {.sheet = u"TabSheet2",
     .title = u"6-10题",
     .questions = kTab2,
     .backButton = u"BitBtn3",
     .forwardButton = u"BitBtn4"},
    {.sheet = u"TabSheet3",
     .title = u"11-15题",
     .questions = kTab3,
     .backButton = u"BitBtn5",
     .forwardButton = u"BitBtn6"},
    {.sheet = u"TabSheet4",
     .title = u"16-20题",
     .questions = kTab4,
     .backButton = u"BitBtn7",
     .forwardButton = u"BitBtn8"},
    {.sheet = u"TabSheet5",
     .title = u"21-23题",
     .questions = kTab5,
     .backButton = u"BitBtn10",
     .forwardButton = u"BitBtn9"},
};

} // namespace

std::span<const Tab> tabs()
{
    return kTabs;
}

} // namespace Questionnaire
