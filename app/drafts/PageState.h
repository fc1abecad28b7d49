// The state of the pages' controls, taken as a draft and put back: from a
// draft, or from the 139 lines of a result file through the line map.
#pragma once

#include "app/drafts/Draft.h"

class Shell;

namespace PageState {

// Every control of every built page, the record, the ranking, and where the user is.
Draft capture(Shell &shell);

// The state a result file's lines stand for: the ticks from the code strings,
// the ranking's order from its string, the picks and the texts as they stand.
Draft fromLines(const QStringList &lines);

// Why the pages cannot take the draft as it stands: a line or a field holds
// what neither typing nor pasting lets into a field (a line break, a control
// character, a character outside GBK). Empty when it fits.
QString misfit(const Draft &draft);

// Builds every page and puts the draft back: choices and ticks first (so the
// detail fields they open are open), question 21 in its ticking order, then
// picks and texts; then the record, word for word; then the page and tab.
void restore(Shell &shell, const Draft &draft);

} // namespace PageState
