// Which records a run keeps: conditions on answers that have codes
// ("industry=3,7", "listed!=1", "q02_e=1"), every one of which must hold, and
// whether records with an "错误" of the data checks are left out. Read from
// the command line or the window before any file is read; the merge asks it
// once for each record, so every output holds the same records.
#pragma once

#include "collect/data/DataSet.h"
#include "survey/DataChecks.h"

#include <QList>
#include <QString>
#include <QStringView>

class RecordFilter {
public:
    // Whether a variable can be filtered on: a single choice, a yes/no, a
    // list pick or an option's tick; figures, texts and ranks cannot.
    static bool canFilter(const DataSet::Variable &variable);
    // The variables that can, in data-set order.
    static QList<const DataSet::Variable *> filterable();

    // Adds "VAR=CODE[,CODE…]" or "VAR!=CODE[,CODE…]". A code is the one the
    // data set's CSV holds, or the number SPSS and Stata hold (a list item's
    // place, 1 or 0 for a tick). False, and why in one sentence, when the
    // condition names no such variable or code.
    bool add(QStringView condition, QString &why);
    void setWithoutErrors(bool leaveOut) { withoutErrors_ = leaveOut; }
    bool withoutErrors() const { return withoutErrors_; }
    // Whether it keeps every record.
    bool isEmpty() const { return conditions_.isEmpty() && !withoutErrors_; }

    // Whether the record (with the findings of the checks that look at it
    // alone) is kept. A record that holds no value of a condition's variable
    // (left empty, 不适用, spoilt) is left out, with "=" and "!=" alike.
    bool keeps(const DataSet::Record &record, const QList<DataChecks::Finding> &findings) const;

    // "筛选：industry=3,7；不含有“错误”的记录", for every output that says
    // what it holds; empty when it keeps every record.
    QString description() const;

private:
    struct Condition {
        const DataSet::Variable *variable = nullptr;
        bool negated = false;
        QList<int> values; // as SPSS holds them
        QString text;      // as the description shows it
    };

    QList<Condition> conditions_;
    int lastLine_ = 0; // the last line a condition reads
    bool withoutErrors_ = false;
};
