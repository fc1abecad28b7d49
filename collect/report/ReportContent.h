// What the report on a merge says, before it is drawn: its sections of
// tables and charts, every figure counted from the data set the exports
// write and every label taken from the survey's definition. HTML and PDF
// are drawn from this one content.
#pragma once

#include "collect/merge/Merge.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class DataSet;

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

struct Source {
    const DataSet &data;
    QStringList inputs;
    Merge::Summary summary;
    QStringList problemFiles; // the problem reports written beside it, if any
    QDateTime made = QDateTime::currentDateTime();
};

Content build(const Source &source);

} // namespace Report
