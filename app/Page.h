// The page base: what every page window of the survey shares.
#pragma once

#include <QWidget>

class Shell;

class Page : public QWidget {
    Q_OBJECT
public:
    // Where the window goes the first time it is shown.
    enum class Centring { Desktop, PrimaryScreen };

    Page(Shell &shell, QSize clientSize, Centring centring = Centring::Desktop, QWidget *parent = nullptr);

    Shell &shell() const { return shell_; }

protected:
    void showEvent(QShowEvent *event) override;
    // The close confirmation, however the close was requested.
    void closeEvent(QCloseEvent *event) override;

private:
    void centre();

    Shell &shell_;
    Centring centring_;
    bool shownBefore_ = false;
};
