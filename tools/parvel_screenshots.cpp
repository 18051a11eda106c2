// Takes the README's pictures of the program as an operator sees it: the main
// screen, the five pages of the alternate screen and the message log after a
// successful save. It opens the real screens with the program's own set-up, from
// the folder it runs in, so it must run in a demo installation (scripts/demo, as
// scripts/screenshots does): usage  parvel_screenshots OUTPUT_FOLDER
// It drives the screens from a timer, which keeps firing while their modal
// windows run; each step waits until what it needs is on screen.

#include "config/ConfigFiles.h"
#include "probes/UConecta.h"
#include "screens/alternate/UParvelNovo.h"
#include "screens/main/UParvel.h"
#include "ui/GuardedApplication.h"
#include "ui/QtDialogService.h"
#include "ui_UParvel.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>

namespace {

struct Step {
    const char* what;
    std::function<bool()> ready;
    std::function<void()> act;
};

constexpr int kStepTimeoutMs = 30000;

QString output;

void save(QWidget* window, const QString& name) {
    const QString file = QDir(output).filePath(name);
    if (!window->grab().save(file))
        qFatal("cannot write %s", qPrintable(file));
    std::printf("%s\n", qPrintable(file));
}

// Clicks after the current step returns: the click may open a modal window.
void clickLater(QAbstractButton* button) {
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

template <typename T> T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

bool alternateOpen() {
    return FParvelNovo && FParvelNovo->isVisible();
}

std::deque<Step> steps(TFParvel& screen) {
    std::deque<Step> all;
    all.push_back({"main screen", [&] { return screen.isVisible(); },
                   [&] { save(&screen, QStringLiteral("main-screen.png")); }});
    all.push_back(
        {"alternate screen", [] { return true; }, [&] { clickLater(screen.ui->btnNovoModelo); }});
    const std::pair<const char*, const char*> pages[] = {
        {"btnConfigRUV", "alternate-ruv.png"},       {"btnConfigTabDef", "alternate-tabdef.png"},
        {"btnConfigAnexos", "alternate-anexos.png"}, {"btnAplicacao", "alternate-aplicacao.png"},
        {"btnFirebird", "alternate-firebird.png"},
    };
    for (const auto& [button, file] : pages) {
        all.push_back({button, alternateOpen,
                       [button] { child<QAbstractButton>(FParvelNovo, button)->click(); }});
        all.push_back({file, alternateOpen, [file] { save(FParvelNovo, QLatin1String(file)); }});
    }
    all.push_back({"close the alternate screen", alternateOpen, [] { FParvelNovo->done(0); }});
    all.push_back({"save", [] { return !FParvelNovo; }, [&] { clickLater(screen.ui->BitSalvar); }});
    all.push_back({"message log", [&] { return !FConecta && !screen.ui->BitSalvar->isEnabled(); },
                   [&] { save(&screen, QStringLiteral("save-success.png")); }});
    return all;
}

} // namespace

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    output = QString::fromLocal8Bit(argv[1]);
    QApplication::setApplicationName(QStringLiteral("Parvel"));
    QtDialogService dialogService;
    setDialogs(&dialogService);
    // The marker that offers the alternate screen, as a support technician leaves it.
    QFile(ConfigFiles::suporteMarker()).open(QIODevice::WriteOnly);

    TFParvel screen;
    FParvel = &screen;
    std::deque<Step> todo = steps(screen);
    QElapsedTimer waiting;
    waiting.start();
    QTimer driver;
    // Pictures are taken a moment after their window changed, so that it has settled.
    driver.setInterval(300);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (todo.empty()) {
            driver.stop();
            QApplication::exit(0);
            return;
        }
        Step step = todo.front();
        if (!step.ready()) {
            if (waiting.elapsed() > kStepTimeoutMs)
                qFatal("gave up waiting for: %s", step.what);
            return;
        }
        todo.pop_front();
        waiting.restart();
        step.act();
    });
    screen.show();
    driver.start();
    return app.exec();
}
