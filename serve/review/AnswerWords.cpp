#include "serve/review/AnswerWords.h"

#include "collect/data/DataSet.h"
#include "collect/input/RecordReader.h"

#include <QJsonObject>

namespace Serve::AnswerWords {

namespace {

const QString kBlank = QStringLiteral("未填");

QString words(const DataSet::Variable &v, const DataSet::Cell &cell)
{
    if (cell.state == DataSet::Cell::State::NotApplicable)
        return DataSet::notApplicableLabel();
    if (!cell.isValue())
        return kBlank;
    if (v.kind != DataSet::Kind::Number && v.kind != DataSet::Kind::Text && v.kind != DataSet::Kind::RankOrder)
        for (const DataSet::ValueLabel &label : v.valueLabels)
            if (label.value == int(cell.number))
                return label.label;
    const QString text = QString::fromUtf8(cell.text);
    return v.unit.isEmpty() || v.kind != DataSet::Kind::Number ? text : text + ' ' + v.unit;
}

} // namespace

QList<Answer> of(const QByteArray &bytes)
{
    const RecordReader::Result read = RecordReader::readBytes({}, bytes, 0);
    if (!read.accepted())
        return {};
    static const DataSet shape; // the variables only, made once
    const DataSet::Lines lines = DataSet::split(read.record);
    QList<Answer> answers;
    for (const DataSet::Variable &v : shape.variables())
        if (v.line > 0)
            answers.append({v.line, v.name, v.label, words(v, DataSet::cell(v, read.record, lines))});
    return answers;
}

QJsonArray json(const QList<Answer> &answers)
{
    QJsonArray list;
    for (const Answer &a : answers)
        list.append(QJsonObject{{"line", a.line}, {"variable", a.variable}, {"label", a.label}, {"value", a.value}});
    return list;
}

QJsonArray changes(const QList<Answer> &before, const QList<Answer> &after)
{
    QJsonArray list;
    for (qsizetype i = 0; i < after.size(); ++i) {
        const QString was = i < before.size() ? before[i].value : kBlank;
        if (was != after[i].value)
            list.append(QJsonObject{{"line", after[i].line},
                                    {"label", after[i].label},
                                    {"before", was},
                                    {"after", after[i].value}});
    }
    return list;
}

} // namespace Serve::AnswerWords
