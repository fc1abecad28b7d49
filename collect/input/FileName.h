// How closely a result file's name follows the enterprise's name on its line 1,
// once the marks that browsers and file managers add to a copy are taken off
// ("甲_填报结果(1).dbf", "甲_填报结果 - 副本.dbf").
#pragma once

#include <QString>
#include <QStringView>

namespace FileName {

// The extension of every result file's name, ".dbf", from the name the
// questionnaire gives it.
const QString &extension();

// Ordered: a closer match is greater.
enum class Match {
    None,           // the name does not follow line 1
    AfterCopyMarks, // it does once copy marks are taken off
    Exact,          // "甲_填报结果.dbf"
};

// The length of the copy mark that ends a file name's stem, 0 when none:
// "(1)" or "（1）", "- 副本" or "- Copy", "副本" or "的副本", " copy", " 2", each
// with the blanks before it.
qsizetype copyMarkLength(QStringView stem);

Match match(const QString &fileName, const QString &enterprise);

} // namespace FileName
