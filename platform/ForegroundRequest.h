// Bringing the window of another running copy of the program to the front,
// where the system lets one program do that: the copy that corrects a result
// file listens while it holds the file, and a second copy that finds the file
// held asks it. Windows finds the holder's window by its process; elsewhere
// the holder listens on a local socket named after the lock, in a folder of
// the user's alone (drafts: the drafts folder, where no better one is given).
// One source each.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace ForegroundRequest {

// Answers the requests made with key for as long as it lives: toFront is
// called for each. Does nothing where the asking copy needs no help.
class Listener : public QObject {
public:
    Listener(const QString &drafts, const QString &key, std::function<void()> toFront);
    ~Listener() override;

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

// Asks the copy in that process, listening with key, to bring its window to
// the front; false when that could not be done.
bool ask(qint64 process, const QString &drafts, const QString &key);

} // namespace ForegroundRequest
