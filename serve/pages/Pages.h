// The upload page and its style and script, from the program's resources.
// The page is filled only with the server's own sentences, escaped; what a
// file holds reaches it as JSON, shown by the script with textContent.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Serve::Pages {

struct Asset {
    QByteArray contentType;
    QByteArray body;
};

enum class State { Open, Unknown, Revoked };

QByteArray uploadPage(State state);
// The collectors' page: the same for everyone; what it shows it asks for once signed in.
QByteArray collectPage();
// The pages' styles and scripts by name; nothing for any other name.
std::optional<Asset> asset(const QByteArray &name);
// The Content-Security-Policy of every answer.
QByteArray securityPolicy();

} // namespace Serve::Pages
