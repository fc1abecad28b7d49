// A merge with its report, the same from the command line and the window's
// worker thread, and from any other thread that runs a merge: the outputs
// written, the report drawn from the data set they were written from into
// its files, and all of them put in place together.
#pragma once

#include "collect/merge/Merge.h"

class RunControl;

namespace ReportStep {

// The one entry point of a run: merge.write(), then the report that
// merge.options().report asks for (its content built once, each of its
// files drawn from it), then merge.commit(): every output in place, or none
// after a cancel (looked at before each step of the drawing) or a failure.
// Runs on any thread; the merge's problems and data set stay readable after.
Merge::Summary mergeAndReport(Merge &merge, RunControl &control);

// Why reports cannot be drawn in this process (they are laid out in fonts,
// which need a QGuiApplication); empty when they can.
QString cannotDraw();

} // namespace ReportStep
