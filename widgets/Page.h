// The page base: what every page window of the survey shares.
#pragma once

#include <QWidget>
#include <functional>

class Page : public QWidget {
    Q_OBJECT
public:
    // Where the window goes the first time it is shown.
    enum class Centring { Desktop, PrimaryScreen };

    explicit Page(QSize clientSize, Centring centring = Centring::Desktop, QWidget *parent = nullptr);

    // Starts decoding the window icon on another core, so that the first page
    // does not wait for it; call once the resources are registered.
    static void loadIconEarly();

    // Decides whether a request to close the window is granted (the close
    // confirmation); without one, every close is granted.
    void setCloseGuard(std::function<bool(Page *)> guard) { closeGuard_ = std::move(guard); }

signals:
    // The page is done: the shell moves on to the next page.
    void forwardRequested();
    // The user goes back a page.
    void backRequested();

protected:
    void showEvent(QShowEvent *event) override;
    // The close confirmation, however the close was requested.
    void closeEvent(QCloseEvent *event) override;

private:
    void centre();

    Centring centring_;
    bool shownBefore_ = false;
    std::function<bool(Page *)> closeGuard_;
};
