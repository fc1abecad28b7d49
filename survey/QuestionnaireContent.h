// The questionnaire page's content: the five tabs, the 23 questions with their
// options in code-position order, and the answer lines each question fills.
// The page builds its widgets and composes its stored lines from this one
// table; the line map names its lines q01 … q23 by their place in it.
#pragma once

#include <QStringView>
#include <span>

namespace Questionnaire {

struct Option {
    QStringView box; // object name of the option box
    QStringView caption;
};

struct Question {
    QStringView groupBox;
    QStringView caption;
    std::span<const Option> options; // in code-position order
    int codeLine;                    // the line of its option codes (question 21: of its ranking)
    QStringView otherField = {};     // the field beside its last option; empty when it has none
    int otherLine = 0;               // the line of that field's text; 0 when it has none
    QStringView rankLetters = {};    // question 21 only: the letter of each option, in option order

    bool isRanked() const { return !rankLetters.isEmpty(); }
    bool hasOtherField() const { return !otherField.isEmpty(); }
};

struct Tab {
    QStringView sheet;
    QStringView title;
    std::span<const Question> questions;
    QStringView backButton;    // to the tab before; from the first tab, back to the performance page
    QStringView forwardButton; // to the tab after; on the last tab, the save
};

// The five tabs in order.
std::span<const Tab> tabs();

inline constexpr QStringView kPageName = u"Form5";
inline constexpr QStringView kTabsName = u"PageControl1";
inline constexpr QStringView kHeading = u"三.企业履责现状";
inline constexpr QStringView kHeadingName = u"Label1";
// Beside question 21's caption: the ranking so far.
inline constexpr QStringView kRankingLabel = u"结果为：";
inline constexpr QStringView kRankingLabelName = u"Label3";
inline constexpr QStringView kThreeChoiceMessage = u"本题只能选择三项";
inline constexpr QStringView kClosingWords = u"问卷结束，感谢您的配合。";
inline constexpr QStringView kClosingWordsName = u"Label2";
inline constexpr QStringView kNoteName = u"Memo1";
inline constexpr QStringView kNoteLines[] = {
    u"    点击“保存并退出”按钮，系统自动在当前文件夹生成以“填报企业名称_填报结果.mdf”命名的文件，请将此文件",
    u"提交给数据收集人员。",
};
// The question whose options are limited to three ticks.
inline constexpr QStringView kThreeChoiceGroup = u"GroupBox1";
inline constexpr int kThreeChoiceLimit = 3;

} // namespace Questionnaire
