// The report step of a merge that ended well, the same from the window and
// the command line: the report drawn from the data set the outputs were
// written from, and written into each report's temporary file, to be put in
// place with the other outputs when the merge commits.
#pragma once

#include "collect/merge/Merge.h"

class RunControl;

namespace ReportStep {

// Draws the report once, each question broken down by the variables of
// groupBy, and writes it to each of merge.reports(); a report that cannot be
// written fails its file, with why. Stops at a cancel.
void write(const Merge &merge, const QStringList &inputs, const QStringList &groupBy, const RunControl &control);

} // namespace ReportStep
