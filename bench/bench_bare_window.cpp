// The floor for start-up figures: a Qt window with one label, built with the same
// compiler, flags and Qt as the program.

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Parvel"));
    label.show();
    return app.exec();
}
