// The shapes of every answer: JSON, a refusal in one Chinese sentence, a
// page; each with the headers every answer carries.
#pragma once

#include "serve/http/HttpServer.h"

#include <QJsonObject>

namespace Serve::Answers {

// No sniffing, no framing, no address in a Referer, nothing kept by a cache.
Response secured(Response r);
Response json(int status, const QJsonObject &body);
Response refusal(int status, const QString &sentence);
Response page(int status, const QByteArray &html);
// The database could not be asked.
Response unavailable();

} // namespace Serve::Answers
