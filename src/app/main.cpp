#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parvel"));
    QMainWindow window;
    window.show();
    return app.exec();
}
