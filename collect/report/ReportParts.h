// What a report is made of before it is drawn: sections of blocks, each a
// table with its notes and its charts, then its further parts (question 21's
// mean rank, the breakdowns by group, last the "其他" texts of its question).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Report {

// A count's share of its group's answers, shown in brackets after it.
struct Share {
    QString text;
    QString stat;
    QString value;
};

// One cell of a table. A figure carries where it comes from (a variable and
// a statistic) and its exact value, so that a reader of the HTML can check it.
struct Cell {
    QString text;
    QString variable{};
    QString stat{};
    QString value{};
    bool figure = false;   // right-aligned
    QString group{};       // in a breakdown: "<variable>=<value>", the value as SPSS holds it, or na, blank
    bool unbroken = false; // a short word kept on one line however narrow its column
    Share share{};         // in a breakdown's count, the share beside it; else empty

    bool hasShare() const { return !share.stat.isEmpty(); }
    // As it reads: "12（30.0%）" with its share.
    QString shown() const { return hasShare() ? text + QStringLiteral("（%1）").arg(share.text) : text; }
};

struct Table {
    QStringList header;
    QList<QList<Cell>> rows;
    bool isEmpty() const { return rows.isEmpty(); }
};

struct Series {
    QString name;
    QList<double> values;
    bool faint = false; // a small group's: drawn lighter
};

// A bar chart: a bar for each category and series (or, stacked, one bar
// for each category split into its series), the categories top to bottom in
// the order of the page; a count chart's axis steps by whole numbers.
struct Chart {
    QString title;
    QStringList categories;
    QList<Series> series;
    QString valueTitle;
    bool percent = false; // values are shares in per cent
    int decimals = 0;     // of the bar labels
    bool stacked = false;
    double axisFrom = 0; // the axis's least value
    double axisTo = 0;   // its greatest, where above axisFrom; else from the values
    QList<bool> faint{}; // of each category: true for a small group's, drawn lighter
};

// A titled part of a block after its overall figures.
struct Part {
    QString title;
    QStringList notes{};
    QList<Table> tables{};
    QList<Chart> charts{};
};

// One question, figure or list.
struct Block {
    QString heading{}; // the tab or group it opens, shown above it
    QString title;
    QStringList notes{};
    Table table{};
    QList<Chart> charts{};
    QList<Part> parts{};
};

struct Section {
    QString title;
    QList<Block> blocks;
};

struct Content {
    QString title;
    QString made; // when, as people read it
    QList<Section> sections;
};

} // namespace Report
