// Keeps the filling's draft up to date while a person fills in the pages: at
// most a second after a change, and at once at every page or tab move. A
// change only starts a timer (steady typing does not hold it off); the state
// is taken when the timer fires and written on the store's own thread.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class DraftStore;
class Page;
class Shell;

class DraftKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 1000;

    explicit DraftKeeper(Shell &shell);

    // Keeps the draft in store from now on (nullptr: keeps none); source is
    // the reopened result file the filling came from, if any.
    void keepIn(DraftStore *store, const QByteArray &source = {});

    // Follows the changes of the page's controls and tabs.
    void watch(Page *page);

    // While paused, changes are not written (a draft or file being loaded).
    void setPaused(bool paused);

    // Takes the state and queues it for writing at once.
    void queueWrite();
    // Takes the state and writes it before returning (the run is about to end).
    bool flush();
    // Forgets pending changes: after the save, nothing is left to keep.
    void stop();

private:
    void onChanged();
    bool isKeeping() const { return store_ && !paused_ && !stopped_; }
    QByteArray stateText() const;

    Shell &shell_;
    DraftStore *store_ = nullptr;
    QByteArray source_;
    QTimer timer_;
    bool paused_ = false;
    bool stopped_ = false;
};
