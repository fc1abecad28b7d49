// The application object: errors that escape an event handler end up here,
// in the error box, and the program goes on.
#pragma once

#include <QApplication>

class SurveyApplication : public QApplication {
public:
    SurveyApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
