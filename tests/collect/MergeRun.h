// A merge as the program runs one without a report: its outputs written,
// then put in place together.
#pragma once

#include "collect/merge/Merge.h"
#include "collect/merge/RunControl.h"

namespace MergeRun {

inline Merge::Summary writeAndCommit(Merge &merge, RunControl &control)
{
    merge.write(control);
    return merge.commit(control);
}

} // namespace MergeRun
