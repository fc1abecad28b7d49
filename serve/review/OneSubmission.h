// One submission as a collector opens it: its receipt and verdict, the
// review and the findings marked as checked, its answers in words, and the
// enterprise's history (which file counts now, what changed between two).
#pragma once

#include "serve/store/Store.h"

#include <QJsonObject>

#include <optional>

namespace Serve::OneSubmission {

// Nothing, and no error, when there is no such submission.
std::optional<QJsonObject> of(Store &store, qint64 id, QString *error);
// The answers that changed from the file `from` to the file `to`.
std::optional<QJsonObject> changes(Store &store, qint64 from, qint64 to, QString *error);

} // namespace Serve::OneSubmission
