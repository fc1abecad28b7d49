// What a report is made of before it is drawn: sections of blocks, each a
// table with its notes, its charts and the "其他" texts of its question.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Report {

// One cell of a table. A figure carries where it comes from (a variable and
// a statistic) and its exact value, so that a reader of the HTML can check it.
struct Cell {
    QString text;
    QString variable{};
    QString stat{};
    QString value{};
    bool figure = false; // right-aligned
};

struct Table {
    QStringList header;
    QList<QList<Cell>> rows;
    bool isEmpty() const { return rows.isEmpty(); }
};

struct Series {
    QString name;
    QList<double> values;
};

struct Chart {
    QString title;
    QStringList categories; // in the order of the page, top to bottom
    QList<Series> series;
    QString valueTitle;
    bool horizontal = true;
    bool percent = false; // values are shares in per cent
    int decimals = 0;     // of the bar labels
};

// One question, figure or list.
struct Block {
    QString heading{}; // the tab or group it opens, shown above it
    QString title;
    QStringList notes{};
    Table table{};
    QList<Chart> charts{};
    QString othersTitle{};
    Table others{}; // the "其他" texts and how often each was given
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
