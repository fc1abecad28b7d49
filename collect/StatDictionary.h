// How SPSS and Stata show each variable of a data set, from the data itself:
// texts as wide as their longest value, figures with the decimals seen, codes
// as wide as their largest value, and columns wide enough for what they hold.
// The .sav and .dta writers and the syntax files share it, so that every route
// into SPSS or Stata ends with the same dictionary.
#pragma once

#include "collect/DataSet.h"
#include "collect/TextLimit.h"

#include <QList>
#include <QString>

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
    // "%12s", "%9.3f", "%tc…"; empty for Stata's own choice.
    QString stataFormat(const DataSet::Variable &variable) const;
};

// One column per variable of the data set.
QList<StatColumn> statColumns(const DataSet &data);

// SPSS counts time in seconds from 1582-10-14, Stata in milliseconds from
// 1960-01-01; the data set holds local seconds from 1970-01-01.
double spssDateTime(double localSeconds);
double stataDateTime(double localSeconds);
