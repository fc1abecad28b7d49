// The questionnaire page's content table.
#include "QuestionnaireContent.h"

namespace Questionnaire {
namespace {

// Options of each question, in code-position order. Captions are shown character for character:
// blanks, full-width marks, the two "F" of question 3 and the trailing tabs included.
constexpr Option kQuestion1[] = {
    {"CheckBox1", u"A. 诚信经营，为消费者提供质优价廉的产品与服务"},
    {"CheckBox2", u"B. 关爱员工，企业与员工共同发展"},
    {"CheckBox3", u"C. 尊重商业合作伙伴，维护市场公平秩序"},
    {"CheckBox4", u"D. 节能减排，保护环境"},
    {"CheckBox5", u"E. 热心公益、参与慈善，与社会共享发展成果"},
    {"CheckBox23", u"F. 其他"},
};
constexpr Option kQuestion2[] = {
    {"CheckBox6", u"A. 公开发布社会责任报告进行全面披露"},
    {"CheckBox7", u"B. 在财务信息报告中披露部分相关内容 "},
    {"CheckBox8", u"C. 通过媒体或企业自身网站等展示责任实践"},
    {"CheckBox9", u"D. 举办或参与社会责任相关内容的沟通交流活动"},
    {"CheckBox10", u"E. 从未进行披露"},
    {"CheckBox11", u"F. 其他"},
};
constexpr Option kQuestion3[] = {
    {"CheckBox12", u"A. 通过ISO9000系列国际质量认证"},
    {"CheckBox13", u"B. 通过OHSAS18000职业健康安全管理体系认证 "},
    {"CheckBox14", u"C. 通过ISO14000环境管理体系认证"},
    {"CheckBox15", u"D. 通通过SA8000社会责任认证"},
    {"CheckBox24", u"E. CCC认证"},
    {"CheckBox25", u"F . CQC认证"},
    {"CheckBox26", u"G. 中国环境标志认证"},
    {"CheckBox27", u"H. UL认证"},
    {"CheckBox28", u"F. 其他"},
};
constexpr Option kQuestion4[] = {
    {"CheckBox16", u"A. 提供培训、咨询与指导服务 "},
    {"CheckBox17", u"B. 制定、完善评价体系，建立表彰奖励先进和失责惩戒机制"},
    {"CheckBox18", u"C. 鼓励依法尽责，不搞强制捐赠"},
    {"CheckBox19", u"D. 引进专业机构人才，帮助企业开展社会责任战略管理"},
    {"CheckBox20", u"E. 宣传优秀典型实践企业和人物，营造鼓励履责舆论氛围"},
    {"CheckBox21", u"F. 其他"},
};
constexpr Option kQuestion5[] = {
    {"CheckBox32", u"A. 加薪"},
    {"CheckBox33", u"B. 年薪制 "},
    {"CheckBox34", u"C. 经营者持股"},
    {"CheckBox35", u"D. 激励基金"},
    {"CheckBox36", u"E. 股票期权"},
    {"CheckBox37", u"F. 其他"},
};
constexpr Option kQuestion6[] = {
    {"CheckBox38", u"A. 企业年金"},
    {"CheckBox39", u"B. 宿舍"},
    {"CheckBox40", u"C. 交通补贴"},
    {"CheckBox41", u"D. 集体旅游"},
    {"CheckBox42", u"E. 食堂"},
    {"CheckBox43", u"F. 降温费、取暖费"},
    {"CheckBox44", u"G. 节日、生日福利"},
    {"CheckBox45", u"H. 文化、体育设施"},
    {"CheckBox46", u"I. 补充保险"},
    {"CheckBox47", u"J . 其他"},
};
constexpr Option kQuestion7[] = {
    {"CheckBox48", u"A. 建立现场安全管理制度"},
    {"CheckBox49", u"B. 设置专职安全管理部门或人员"},
    {"CheckBox50", u"C. 健康体检"},
    {"CheckBox51", u"D. 劳动保护设施或劳动保护用品"},
    {"CheckBox52", u"E. 健康与安全宣传教育"},
    {"CheckBox53", u"F. 员工医疗室/医院"},
    {"CheckBox54", u"G. 安全事故应急处理机制"},
    {"CheckBox128", u"H. 员工心理援助计划（EAP）"},
    {"CheckBox55", u"I. 其他"},
};
constexpr Option kQuestion8[] = {
    {"CheckBox56", u"A. 岗位培训 "},
    {"CheckBox57", u"B. 技能培训"},
    {"CheckBox58", u" C. 学历培训"},
    {"CheckBox59", u"D. 职业健康知识"},
    {"CheckBox60", u"E. 安全生产培训"},
    {"CheckBox61", u" F. 企业文化培训"},
    {"CheckBox62", u"G. 环保培训"},
    {"CheckBox63", u"H. 其他"},
};
constexpr Option kQuestion9[] = {
    {"CheckBox64", u"A. 国内进修"},
    {"CheckBox65", u"B. 国外进修 "},
    {"CheckBox66", u"C. 企业间学习交流"},
    {"CheckBox67", u"D. 企业外聘专家培训"},
    {"CheckBox68", u"E. 企业内部师资培训"},
    {"CheckBox69", u"F. 其他"},
};
constexpr Option kQuestion10[] = {
    {"CheckBox70", u"A. 党组织"},
    {"CheckBox71", u"B. 工会 "},
    {"CheckBox72", u" C. 团组织"},
    {"CheckBox73", u"D. 其他"},
};
constexpr Option kQuestion11[] = {
    {"CheckBox74", u"A. 职代会 "},
    {"CheckBox75", u"B. 厂务公开"},
    {"CheckBox76", u"C. 面对面沟通"},
    {"CheckBox77", u"D. 自有媒介"},
    {"CheckBox78", u"E. 民主恳谈会"},
    {"CheckBox79", u"F. 领导信箱"},
    {"CheckBox80", u"G. 其他"},
};
constexpr Option kQuestion12[] = {
    {"CheckBox81", u"A．设立员工活动中心 "},
    {"CheckBox82", u"B. 开展员工文化娱乐活动 "},
    {"CheckBox83", u"C. 帮扶困难员工 "},
    {"CheckBox84", u"D. 关注员工及家属身心健康"},
    {"CheckBox85", u"E. 其他"},
};
constexpr Option kQuestion13[] = {
    {"CheckBox86", u"A. 国家标准"},
    {"CheckBox87", u" B. 地方标准"},
    {"CheckBox88", u"C. 行业标准"},
    {"CheckBox89", u"D. 企业标准"},
    {"CheckBox90", u" E. 其他"},
};
constexpr Option kQuestion14[] = {
    {"CheckBox22", u"A. 领导对产品改进和技术创新有效引导"},
    {"CheckBox29", u"B. 培训员工的业务技能、激励员工创新热情"},
    {"CheckBox30", u"C. 顾客参与产品研发过程"},
    {"CheckBox31", u"D. 实施企业自我评价和改进制度"},
    {"CheckBox153", u" E. 其他"},
};
constexpr Option kQuestion15[] = {
    {"CheckBox96", u"A. 建立全面的售后服务制度"},
    {"CheckBox97", u"B. 设立专门的产品售后服务部门"},
    {"CheckBox98", u"C. 设立覆盖全面的维修网点"},
    {"CheckBox99", u"D. 建立缺陷产品召回制度 "},
    {"CheckBox100", u"E. 其他"},
};
constexpr Option kQuestion16[] = {
    {"CheckBox101", u"A. 建立客户关系管理组织机构"},
    {"CheckBox102", u"B. 实施投诉响应与处理措施 "},
    {"CheckBox103", u"C. 建立沟通机制"},
    {"CheckBox104", u"D. 建立客户信息档案，并保密"},
    {"CheckBox105", u"E. 导入客户关系管理（CRM）"},
    {"CheckBox106", u"F. 客户满意度调查"},
    {"CheckBox107", u"G. 其他"},
};
constexpr Option kQuestion17[] = {
    {"CheckBox114", u"A. 无纸化办公"},
    {"CheckBox115", u" B. 采用节能设备、设施"},
    {"CheckBox116", u"C. 物耗、水耗、能耗定额管理"},
    {"CheckBox117", u"D. 低碳出行"},
    {"CheckBox118", u" E. 办公用品回收再利用 "},
    {"CheckBox119", u"F. 采购绿色办公用品"},
    {"CheckBox120", u"G. 其他"},
};
constexpr Option kQuestion18[] = {
    {"CheckBox121", u"A. 使用可再生能源，开发利用新能源"},
    {"CheckBox122", u"B. 采用易回收、易拆解、易降解的材料和设计方案"},
    {"CheckBox123", u"C. 对资源能源消耗状况进行监控和分析"},
    {"CheckBox124", u"D. 对资源能源进行分类、梯级利用"},
    {"CheckBox125", u"E. 开发、引进节能技术、工艺、设备、设施"},
    {"CheckBox126", u"F. 实行废物综合利用"},
    {"CheckBox127", u"G. 其他"},
};
constexpr Option kQuestion19[] = {
    {"CheckBox91", u"A. 淘汰高耗能、高污染的产品"},
    {"CheckBox92", u"B. 提高现有产品环保性能 "},
    {"CheckBox93", u"C. 研发新型环保产"},
    {"CheckBox94", u"D. 转向投资低污染、低耗能产业"},
    {"CheckBox109", u"E. 其他"},
};
constexpr Option kQuestion20[] = {
    {"CheckBox95", u"A. 技术支持\t"},
    {"CheckBox108", u"B. 培训交流"},
    {"CheckBox110", u"C. 资源共享 "},
    {"CheckBox111", u"D. 资金支持"},
    {"CheckBox112", u"E. 项目对接"},
    {"CheckBox113", u"F. 人才支持"},
    {"CheckBox154", u"G. 其他"},
};
constexpr Option kQuestion21[] = {
    {"CheckBox135", u"A. 产品质量与价格"},
    {"CheckBox136", u"B. 公平竞争，不搞商业贿赂\t"},
    {"CheckBox137", u"C. 员工权益与发展  "},
    {"CheckBox138", u"D. 节能减排与环境保护\t"},
    {"CheckBox139", u"E. 参与公益慈善活动"},
};
constexpr Option kQuestion22[] = {
    {"CheckBox140", u"A. 实施供应链企业审核"},
    {"CheckBox141", u"B. 提供系统、多元的社会责任培训"},
    {"CheckBox142", u"C. 开展企业社会责任沟通交流"},
    {"CheckBox143", u"D. 建立企业社会责任激励机制"},
    {"CheckBox129", u"E. 防治腐败和商业贿赂"},
    {"CheckBox144", u"F. 其他"},
};
constexpr Option kQuestion23[] = {
    {"CheckBox145", u"A. 依法对社区资源利用进行合理补偿 "},
    {"CheckBox146", u"B. 推动当地基础设施建设"},
    {"CheckBox147", u"C. 改善社区环境 "},
    {"CheckBox148", u"D. 尊重当地文化 "},
    {"CheckBox149", u"E. 为社区发展捐款捐物 "},
    {"CheckBox150", u"F. 促进本地就业"},
    {"CheckBox130", u"G. 安置下岗职工、复转军人、残疾人等特殊人群就业"},
    {"CheckBox151", u"H. 鼓励员工提供志愿者服务"},
    {"CheckBox152", u"I. 其他"},
};

// Per question: group box, caption, options, options per row, code line (question 21: ranking line),
// other field and its line, ranking letters.
constexpr Question kTab1[] = {
    {"GroupBox1", u"1.  以下选项中企业认为较重要的三项：", kQuestion1, 2, 65, "Edit4", 88, {}},
    {"GroupBox2", u"2.  企业社会责任信息披露的主要途径有：", kQuestion2, 2, 66, "Edit1", 89, {}},
    {"GroupBox3", u"3.  企业通过管理体系认证的情况：", kQuestion3, 3, 67, "Edit17", 90, {}},
    {"GroupBox4", u"4. 企业希望相关部门采取哪些措施来帮助企业开展社会责任工作：", kQuestion4, 2, 68, "Edit20", 91, {}},
    {"GroupBox7", u"5.  企业采取的薪酬激励方式有：", kQuestion5, 3, 69, "Edit5", 92, {}},
};

constexpr Question kTab2[] = {
    {"GroupBox8", u"6.  企业为员工提供的福利措施有：", kQuestion6, 3, 70, "Edit6", 93, {}},
    {"GroupBox9", u"7. 企业在保障员工健康与安全方面采取的措施有：", kQuestion7, 3, 71, "Edit7", 94, {}},
    {"GroupBox10", u"8. 企业培训内容主要包括:", kQuestion8, 3, 72, "Edit8", 95, {}},
    {"GroupBox11", u"9. 企业采用的培训方式包括：", kQuestion9, 3, 73, "Edit9", 96, {}},
    {"GroupBox12", u"10. 企业建立的民主化管理组织有：", kQuestion10, 3, 74, "Edit10", 97, {}},
};

constexpr Question kTab3[] = {
    {"GroupBox13", u"11. 企业采取的多样化民主沟通渠道包括：", kQuestion11, 3, 75, "Edit11", 98, {}},
    {"GroupBox14", u"12. 企业关爱员工的方式包括：", kQuestion12, 3, 76, "Edit12", 99, {}},
    {"GroupBox15", u"13. 企业主营产品在生产和经营中执行哪些标准：", kQuestion13, 3, 77, "Edit13", 100, {}},
    {"GroupBox5", u"14. 企业采取促进产品质量改进和创新的措施有：", kQuestion14, 2, 78, "Edit2", 101, {}},
    {"GroupBox17", u"15. 企业采取的售后保障措施有：", kQuestion15, 3, 79, "Edit15", 102, {}},
};

constexpr Question kTab4[] = {
    {"GroupBox18", u"16. 企业实施的客户关系维护措施有：", kQuestion16, 3, 80, "Edit16", 103, {}},
    {"GroupBox20", u"17. 企业制定的绿色办公措施有：", kQuestion17, 3, 81, "Edit18", 104, {}},
    {"GroupBox21", u"18. 企业采取的节能减排措施有：", kQuestion18, 2, 82, "Edit19", 105, {}},
    {"GroupBox6", u"19. 企业在产业结构调整方面做了哪些努力：", kQuestion19, 3, 83, "Edit3", 106, {}},
    {"GroupBox16", u"20. 企业通过哪些途径实现与供应链企业的共赢发展：", kQuestion20, 3, 84, "Edit14", 107, {}},
};

constexpr Question kTab5[] = {
    {"GroupBox23", u"21. 企业从社会责任角度选择供应商时考虑的因素依次是：（请按重要性依次点击选项）", kQuestion21, 3, 85, nullptr, 0, u"ABCDE"},
    {"GroupBox24", u"22. 企业为提升供应链社会责任水平采取的措施有：", kQuestion22, 3, 86, "Edit22", 108, {}},
    {"GroupBox25", u"23. 企业参与社区建设的途径有：", kQuestion23, 2, 87, "Edit23", 109, {}},
};

constexpr Tab kTabs[] = {
    {"TabSheet1", u"1-5题", kTab1, "BitBtn1", "BitBtn2"},
    {"TabSheet2", u"6-10题", kTab2, "BitBtn3", "BitBtn4"},
    {"TabSheet3", u"11-15题", kTab3, "BitBtn5", "BitBtn6"},
    {"TabSheet4", u"16-20题", kTab4, "BitBtn7", "BitBtn8"},
    {"TabSheet5", u"21-23题", kTab5, "BitBtn10", "BitBtn9"},
};

} // namespace

std::span<const Tab> tabs()
{
    return kTabs;
}

} // namespace Questionnaire
