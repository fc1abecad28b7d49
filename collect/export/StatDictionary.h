// How SPSS and Stata show each variable of a data set, from the data itself:
// texts as wide as their longest value, figures with the decimals seen, codes
// as wide as their largest value, and columns wide enough for what they hold.
// The .sav and .dta writers and the syntax files share it, so that every route
// into SPSS or Stata ends with the same dictionary.
#pragma once

#include "collect/data/DataSet.h"
#include "collect/data/TextLimit.h"

#include <QList>
#include <QString>
#include <QStringView>

// What SPSS and Stata keep of labels: SPSS 255 bytes of a variable label and
// 120 of a value label; Stata 118 80 characters of a variable label and
// 32,000 bytes of a value label.
namespace StatLimits {
inline constexpr qsizetype kSpssVariableLabelBytes = 255;
inline constexpr qsizetype kSpssValueLabelBytes = 120;
inline constexpr qsizetype kStataVariableLabelCharacters = 80;
inline constexpr qsizetype kStataValueLabelBytes = 32000;
inline constexpr qsizetype kSpssFileLabelBytes = 64;
} // namespace StatLimits

// The data set's title in SPSS and Stata (SPSS keeps 64 bytes of a file label: this one fits whole).
inline constexpr QStringView kStatDataSetTitle = u"2014年度全国Kelmar民营企业社会责任调研汇总";

// The file label of the .sav, the .dta and their syntax files: the title, or
// for a filtered data set the filter that made it, cut to what SPSS keeps.
QString statFileLabel(const DataSet &data);

struct StatColumn {
    qsizetype bytes = 1;    // a text: its longest value in UTF-8, at least 1
    qsizetype csvBytes = 1; // the same in the CSV, where a formula-like text has a mark before it
    int width = 1;          // a number: digits before the point, the point and the decimals
    int decimals = 0;       // a number: the most digits after the point seen
    int displayWidth = 1;   // SPSS's column width in the data view

    // A text that Stata's str cannot hold goes into a strL.
    static constexpr qsizetype kStataStrBytes = 2045;
    bool isStrL() const { return bytes > kStataStrBytes; }

    // "A12", "F9.3", "DATETIME20"; a text's width cut to limit.
    QString spssFormat(const DataSet::Variable &variable, const TextLimit &limit) const;
    // "%12s", "%9.3f", "%1.0f", "%tc…"; empty for Stata's own choice.
    QString stataFormat(const DataSet::Variable &variable) const;
};

// Whether Stata labels the variable's values. A figure is not labelled though
// it can be .a: pandas and Stata take a labelled column for categories, so a
// note on the variable says what .a is instead.
bool stataLabelled(const DataSet::Variable &variable);

// One column per variable of the data set.
QList<StatColumn> statColumns(const DataSet &data);

// SPSS counts time in seconds from 1582-10-14, Stata in milliseconds from
// 1960-01-01; the data set holds local seconds from 1970-01-01.
double spssDateTime(double localSeconds);
double stataDateTime(double localSeconds);
