// The intro page as data: the usage instructions under the banner.
#pragma once

#include <QStringView>
#include <span>

namespace Intro {

struct Instruction {
    QStringView name;
    QStringView text;
};

inline constexpr QStringView kPageName = u"Form1";
inline constexpr QStringView kHeading = u"软件使用说明：";
inline constexpr QStringView kHeadingName = u"Label1";
inline constexpr QStringView kBannerName = u"Image1";
inline constexpr QStringView kStartButtonName = u"BitBtn1";

// Instruction 4 is split over two labels; the three blanks line the second
// part up under the first.
inline constexpr Instruction kInstructions[] = {
    {.name = u"Label2", .text = u"1. 本软件只做数据收集使用。"},
    {.name = u"Label3", .text = u"2. 点击“开始填报”按钮进入问卷页面，依次点击“下一步”进行填报。"},
    {.name = u"Label4", .text = u"3. 点击“上一步”可对已填报内容进行浏览和修改。"},
    {.name = u"Label5",
     .text =
         u"4. "
         u"最后点击“保存并退出”按钮，系统自动在本软件所在目录生成一个以“企业名称_填报结果”命名的MDF文件，请将此文件提"},
    {.name = u"Label6", .text = u"   交给数据收集人员。"},
};

} // namespace Intro
