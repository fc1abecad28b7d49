// The review states in the collectors' words, beside the words they are kept as.
#pragma once

#include <QJsonArray>
#include <QString>

namespace Serve::States {

// "已接收" for kReceived, ...; empty for a word that is no state.
QString text(const QString &state);
bool known(const QString &state);
// [{value, text}] in the order a submission goes through them.
QJsonArray all();

} // namespace Serve::States
