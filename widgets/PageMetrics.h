// The window sizes of the pages and the sizes of the survey's font roles, in
// pixels for a 96-dpi screen.
#pragma once

#include <QSize>

namespace PageMetrics {

inline constexpr QSize kIntro(839, 529);
inline constexpr QSize kBasicInformation(755, 495);
inline constexpr QSize kFoundation(755, 457);
inline constexpr QSize kPerformance(797, 631);
inline constexpr QSize kQuestionnaire(1013, 651);

// Font roles.
inline constexpr int kWindowFont = 11;           // every page's window font
inline constexpr int kBasicInformationFont = 16; // the basic information page's larger window font
inline constexpr int kProfileHeading = 19;       // "一.企业概况"
inline constexpr int kProfileCaption = 14;       // the profile pages' group captions
inline constexpr int kSectionHeading = 21;       // "二.绩效数据", "三.企业履责现状"
inline constexpr int kIntroHeading = 19;
inline constexpr int kIntroInstruction = 13;
inline constexpr int kTabTitle = 16;
inline constexpr int kQuestionCaption = 14;

} // namespace PageMetrics
