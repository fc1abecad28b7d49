// Answer records for the collector's tests and benchmark: random, seeded, and
// such as the program itself could write them (every value within its set,
// every gated line empty while its gate is shut), saved by the program's own
// result file writer.
#pragma once

#include "survey/AnswerRecord.h"

#include <QRandomGenerator>
#include <QString>

namespace SampleRecords {

enum class Texts {
    Plain,  // Chinese words, as people type them
    Tricky, // also commas, quotes, blanks around, '=' at the start, and rare characters
};

enum class Values {
    Random,     // each value on its own: figures and ticks that contradict each other too
    Consistent, // figures and answers that agree: parts within their whole, amounts within the
                // revenue, the two years within a factor of two, no ticks that exclude each other
};

// A record for enterprise number index; its name is unique for each index,
// also once its form (widths, blanks) is taken off.
AnswerRecord make(QRandomGenerator &rng, int index, Texts texts = Texts::Plain, Values values = Values::Random);

// Writes it into folder (ending with '/') and returns the file's path.
QString write(const AnswerRecord &record, const QString &folder);

// The lines the program writes when only the name is filled: every code
// string there, with nothing ticked. Written out by hand.
QStringList blankLines(const QString &name);

// The 139 lines of a record.
QStringList lines(const AnswerRecord &record);

} // namespace SampleRecords
