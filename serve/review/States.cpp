#include "serve/review/States.h"

#include "serve/store/Current.h"

#include <QJsonObject>

#include <array>
#include <utility>

namespace Serve::States {

namespace {

const std::array<std::pair<const char *, const char *>, 4> kStates{{
    {Current::kReceived, "已接收"},
    {Current::kPending, "待核实"},
    {Current::kApproved, "已核实"},
    {Current::kRejected, "退回"},
}};

} // namespace

QString text(const QString &state)
{
    for (const auto &[value, words] : kStates)
        if (state == QLatin1String(value))
            return QString::fromUtf8(words);
    return {};
}

bool known(const QString &state)
{
    return !text(state).isEmpty();
}

QJsonArray all()
{
    QJsonArray list;
    for (const auto &[value, words] : kStates)
        list.append(QJsonObject{{"value", QLatin1String(value)}, {"text", QString::fromUtf8(words)}});
    return list;
}

} // namespace Serve::States
