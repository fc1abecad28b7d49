// What a collector decides: a review state and note, for one submission or a
// selection; a finding marked as checked, or no longer. Each change is one
// transaction with its lines in the audit log; a refused one changes nothing.
// Two collectors at once: the writes queue, the later one stands.
#pragma once

#include "serve/access/Access.h"
#include "serve/store/Store.h"

#include <QJsonObject>

namespace Serve::Review {

inline constexpr qsizetype kMaxNote = 10000;
inline constexpr qsizetype kMaxSelection = 1000;

struct Outcome {
    int status = 200;
    QString refusal; // the sentence for the collector, when status is not 200
    QJsonObject answer;
    QString error;   // the database failed
};

// {ids: [...], state, note}: without "note", each keeps its own.
Outcome setState(Store &store, const CollectorSession &by, const QJsonObject &body);
// {id, key, checked}
Outcome markFinding(Store &store, const CollectorSession &by, const QJsonObject &body);

} // namespace Serve::Review
