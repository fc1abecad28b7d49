// The texts that every page and the shell share: titles, button captions and
// the messages of the message boxes.
#pragma once

#include <QStringView>

namespace Captions {

inline constexpr QStringView kApplicationTitle = u"2014全国Kelmar社会责任调研问卷填报";
inline constexpr QStringView kPageCaption = u"2014年度全国Kelmar民营企业社会责任调研填报";

inline constexpr QStringView kStart = u"开始填报";
inline constexpr QStringView kBack = u"上一步";
inline constexpr QStringView kForward = u"下一步";
inline constexpr QStringView kSave = u"保存退出";

inline constexpr QStringView kCloseTitle = u"提示";
inline constexpr QStringView kCloseQuestion = u"填报未完成，确认退出吗?";
inline constexpr QStringView kSavedAs = u"填报结果保存为:";

// The heading of the two profile pages.
inline constexpr QStringView kProfileHeading = u"一.企业概况";

} // namespace Captions
