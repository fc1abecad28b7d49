// The table of every submission, newest first, a page at a time: searched by
// enterprise name, filtered by accepted, review state, check and upload code.
// Pages go by the last id shown (the primary key), so a late page costs what
// the first does.
#pragma once

#include "serve/http/HttpServer.h"
#include "serve/store/Store.h"

#include <QJsonObject>

#include <optional>

namespace Serve::SubmissionList {

struct Filter {
    QString name;       // a part of the enterprise's name
    int accepted = -1;  // 1, 0, or -1 for either
    QString state;      // a review state, or empty for any
    QString check;      // a check's id: files with a finding of it
    qint64 code = 0;    // an upload code's id
    qint64 before = 0;  // the page after the row with this id
    int limit = 50;
};

inline constexpr int kMaxLimit = 200;

// The filter of the request's arguments; nothing, with the reason, when one is not understood.
std::optional<Filter> filterOf(const Request &request, QString *refusal);
// {rows, total, next}: next is the id to ask the following page before, 0 at the end.
std::optional<QJsonObject> page(Store &store, const Filter &filter, QString *error);

} // namespace Serve::SubmissionList
