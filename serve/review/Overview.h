// The survey as it stands, for the overview the collectors keep open: the
// counts of files, enterprises and reviews, the open and checked findings of
// the files that count now by check, and the accepted files by day, all of
// one moment.
#pragma once

#include "serve/store/Store.h"

#include <QByteArray>
#include <QJsonObject>

#include <optional>

namespace Serve::Overview {

// The most days the chart shows, the latest.
inline constexpr int kChartDays = 31;

std::optional<QJsonObject> of(Store &store, QString *error);
// The chart of accepted files by day as SVG, drawn by the report's own chart code.
std::optional<QByteArray> chart(Store &store, QString *error);

} // namespace Serve::Overview
