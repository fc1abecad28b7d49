// The application object: an error that escapes an event handler all the same
// ends up in the error box, and the program goes on.
#pragma once

#include <QApplication>

class SurveyApplication : public QApplication {
public:
    SurveyApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
