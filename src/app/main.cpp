#include "screens/main/UParvel.h"
#include "ui/GuardedApplication.h"
#include "ui/QtDialogService.h"

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parvel"));
    QtDialogService dialogService;
    setDialogs(&dialogService);
    TFParvel screen;
    FParvel = &screen;
    screen.show();
    return app.exec();
}
