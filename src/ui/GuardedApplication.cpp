#include "ui/GuardedApplication.h"

#include "funcoes/AppError.h"
#include "ui/DialogService.h"

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const AppError& error) {
        dialogs().errorBox(error.text());
    } catch (const std::exception& error) {
        dialogs().errorBox(QString::fromLocal8Bit(error.what()));
    }
    return true;
}
