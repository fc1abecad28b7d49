// The two profile pages as data: every label, field, list, choice and button
// of the basic information page and of the foundation and CSR organisation
// page, in tab order, with the answer line each control fills.
#pragma once

#include <QStringView>
#include <span>

namespace Profile {

enum class Kind {
    Heading, // the section heading at the top of the page
    Group,   // a group box; the items after it go inside it
    Label,   // a label in front of a field, or the question in front of its choices
    Unit,    // a unit label after a number field
    Mark,    // the red mark of a required field
    Text,    // a free text field
    Amount,  // a number field with the numeric entry filter
    Count,   // a whole-number field with the digit-only filter
    List,    // a pick-only drop-down list
    Choice,  // a radio button: its code goes to the line the moment it becomes selected
    Option,  // a check box: its code ("1"/"9") joins the line's other options in table order
    Pair,    // a check box of a yes/no pair: ticking it unticks its partner and writes its code
    Forward, // the "next" button
    Back,    // the "previous" button
};

// The sets of detail fields that open and close together.
enum class Detail { None, OtherIndustry, Foundation, Report };

// One row of a page's table. The items of a group box follow it; where each
// stands on screen is the page's business.
struct Item {
    Kind kind;
    QStringView name = {};    // object name; none for labels the survey does not name
    QStringView caption = {}; // shown text; blanks and full-width marks as the survey has them
    int line = 0;             // answer line, 0 for none
    QStringView code = {};    // Choice, Pair: the code written when chosen
    std::span<const QStringView> items = {};
    Detail detail = Detail::None; // the set of detail fields this item belongs to
    Detail opens = Detail::None;  // Choice: the set that selecting it opens (the others of its line close it)
    QStringView variable = {};    // data-set name of the item's line (on one item of the line)
    QStringView qualifier = {};   // Group: put before a label of its own that another group's label equals
};

// The basic information page (section "一.企业概况", questions 1 to 3).
namespace BasicInformation {
inline constexpr QStringView kPageName = u"Form2";
inline constexpr QStringView kNameField = u"Edit1"; // the registered name; it names the result file
inline constexpr QStringView kNameMissing = u"请填入企业注册全称";
std::span<const Item> items();
} // namespace BasicInformation

// The foundation and CSR organisation page (section "一.企业概况", questions 4 to 6).
namespace Foundation {
inline constexpr QStringView kPageName = u"Form7";
std::span<const Item> items();
} // namespace Foundation

// The item of a table with that object name; nullptr when none has it.
const Item *find(std::span<const Item> table, QStringView name);

} // namespace Profile
