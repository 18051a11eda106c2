#pragma once

#include <QApplication>

// The application object of the program. An error that escapes an event handler
// is shown in the error box and the event ends there; the windows stay open and
// the event loop goes on.
class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
