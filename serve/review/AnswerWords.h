// A result file's answers as the data set's codebook labels them: each
// variable's line, label and value in words; "不适用" and "未填" as such.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>

namespace Serve::AnswerWords {

struct Answer {
    int line = 0;
    QString variable;
    QString label;
    QString value;
};

// Nothing for a file that is no result file.
QList<Answer> of(const QByteArray &bytes);
QJsonArray json(const QList<Answer> &answers);
// The answers that differ between two files, as [{line, label, before, after}].
QJsonArray changes(const QList<Answer> &before, const QList<Answer> &after);

} // namespace Serve::AnswerWords
