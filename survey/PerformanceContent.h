// The performance data page as data (section "二.绩效数据"): three tabs of
// figures for 2013 and 2014, the project types of tab 3 and their code line.
#pragma once

#include <QStringView>
#include <span>

namespace Performance {

// One row of figures. A project type row has a check box in place of its
// label; the "其他" type also has a field naming it.
struct FigureRow {
    QStringView label;
    QStringView unit;
    QStringView field2013;
    int line2013 = 0;
    QStringView field2014;
    int line2014 = 0;
    QStringView variable;      // stem of the data-set names: <stem>_2013, <stem>_2014
    QStringView checkBox = {}; // project type rows only
    QStringView nameField = {};
    int nameLine = 0;
    QStringView nameVariable = {};

    bool isProjectType() const { return !checkBox.isEmpty(); }
};

struct FiguresTab {
    QStringView sheet;
    QStringView caption;
    QStringView subHeading;
    QStringView backButton;
    QStringView nextButton;
    std::span<const FigureRow> rows;
};

struct Content {
    QStringView pageName;
    QStringView heading;
    QStringView headingName;
    QStringView tabsName;
    QStringView labelHeader;
    QStringView unitHeader;
    QStringView year2013;
    QStringView year2014;
    QStringView projectTypeGroup;
    QStringView projectTypeGroupCaption;
    QStringView otherTypeNameLabel; // what a screen reader says for the "其他" type's name field
    int projectTypeCodesLine;       // one option code per project type row, in row order
    QStringView projectTypeCodesVariable;
    std::span<const FiguresTab> tabs;
};

const Content &content();

} // namespace Performance
