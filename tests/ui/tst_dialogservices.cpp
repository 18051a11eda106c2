#include "WhenModalShows.h"
#include "funcoes/AppError.h"
#include "ui/GuardedApplication.h"
#include "ui/QtDialogService.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <functional>
#include <stdexcept>

namespace {

enum BoxKind { Information, Warning, WarningDialog, Confirmation, Error };

void showBox(DialogService& service, BoxKind kind, const QString& text) {
    switch (kind) {
    case Information:
        return service.informationBox(text);
    case Warning:
        return service.warningBox(text);
    case WarningDialog:
        return service.warningDialog(text);
    case Confirmation:
        return service.confirmationDialog(text);
    case Error:
        return service.errorBox(text);
    }
}

} // namespace

class TestDialogServices : public QObject {
    Q_OBJECT

private slots:
    void boxes_data();
    void boxes();
    void modalResults_data();
    void modalResults();
    void folderPicker_data();
    void folderPicker();
    void folderPickerCancelled();
    void folderPickerShowsItsSelection();
    void folderPickerOffersOkOnlyWithASelection();
    void uncaughtErrorsReachErrorBox_data();
    void uncaughtErrorsReachErrorBox();
    // Last: once the program is told to end, no event loop of it runs again.
    void terminateEndsNestedModalLoops();

private:
    QtDialogService m_service;
};

void TestDialogServices::boxes_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shownText");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("owned");
    QTest::newRow("information") << int(Information) << "Pasta inválida"
                                 << "Atenção"
                                 << "Pasta inválida" << int(QMessageBox::Information) << true;
    QTest::newRow("warning") << int(Warning) << "Porta vazia"
                             << "Atenção"
                             << "Porta vazia" << int(QMessageBox::Warning) << false;
    QTest::newRow("warning dialog") << int(WarningDialog) << "Arquivo"
                                    << "Warning"
                                    << "Arquivo" << int(QMessageBox::Warning) << false;
    QTest::newRow("confirmation") << int(Confirmation) << "Feito"
                                  << "Confirm"
                                  << "Feito" << int(QMessageBox::Question) << false;
    QTest::newRow("carriage return breaks the line")
        << int(Warning) << "Impossível Continuar.\rAcione seu Suporte."
        << "Atenção"
        << "Impossível Continuar.\nAcione seu Suporte." << int(QMessageBox::Warning) << false;
    QTest::newRow("dialog line break")
        << int(WarningDialog) << "Atenção !!!\rA Pasta"
        << "Warning"
        << "Atenção !!!\nA Pasta" << int(QMessageBox::Warning) << false;
    QTest::newRow("error gets full stop")
        << int(Error) << "Unable to write to /x/ruv.ini"
        << "Parvel"
        << "Unable to write to /x/ruv.ini." << int(QMessageBox::Critical) << true;
    QTest::newRow("error keeps full stop") << int(Error) << "Falhou!"
                                           << "Parvel"
                                           << "Falhou!" << int(QMessageBox::Critical) << true;
}

// Title, text, icon and the one OK button of each box, and whether it is owned by
// the active screen.
void TestDialogServices::boxes() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, owned);
    QWidget screen;
    screen.show();
    QApplication::setActiveWindow(&screen);
    QVERIFY(QTest::qWaitForWindowActive(&screen));

    QString title, shown;
    int icon = -1;
    QList<QAbstractButton*> buttons;
    QWidget* owner = nullptr;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        title = box->windowTitle();
        shown = box->text();
        icon = box->icon();
        buttons = box->buttons();
        owner = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    showBox(m_service, BoxKind(kind), text);

    QTEST(title, "title");
    QTEST(shown, "shownText");
    QTEST(icon, "icon");
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(owner == &screen, owned);
}

void TestDialogServices::modalResults_data() {
    QTest::addColumn<int>("closedWith");
    QTest::addColumn<int>("result");
    QTest::newRow("success") << 1 << 1;
    QTest::newRow("failure") << 2 << 2;
    QTest::newRow("closed by Esc counts as cancel") << int(QDialog::Rejected) << 2;
}

void TestDialogServices::modalResults() {
    QFETCH(int, closedWith);
    QDialog window;
    whenModalShows([&](QWidget*) { window.done(closedWith); });
    QTEST(m_service.execModal(window), "result");
}

void TestDialogServices::folderPicker_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("answer");
    const QString temp = QDir::tempPath();
    QTest::newRow("folder") << temp << QDir::toNativeSeparators(temp);
    QTest::newRow("folder given with separator")
        << temp + QLatin1Char('/') << QDir::toNativeSeparators(temp);
    QTest::newRow("file-system root keeps its separator")
        << QDir::rootPath() << QDir::toNativeSeparators(QDir::rootPath());
}

// The initial selection is what OK answers when the user picks nothing else.
void TestDialogServices::folderPicker() {
    QFETCH(QString, folder);
    whenModalShows([](QWidget* modal) {
        QTRY_VERIFY(modal->findChild<QTreeView*>()->currentIndex().isValid());
        qobject_cast<QDialog*>(modal)->accept();
    });
    const auto chosen = m_service.pickFolder(DialogService::FolderRoot::Computer, folder);
    QVERIFY(chosen);
    QTEST(*chosen, "answer");
}

void TestDialogServices::folderPickerCancelled() {
    whenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QVERIFY(!m_service.pickFolder(DialogService::FolderRoot::Network, QDir::tempPath()));
}

// A selection below many folders is in view once the tree has filled in, and the
// Enter key answers it.
void TestDialogServices::folderPickerShowsItsSelection() {
    QTemporaryDir dir;
    for (int i = 0; i < 600; ++i)
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pasta %1").arg(i, 4, 10, QLatin1Char('0'))));
    const QString chosen = dir.path() + "/zz Configurações";
    QVERIFY(QDir().mkpath(chosen + "/dentro"));
    whenModalShows([](QWidget* modal) {
        const auto closeOnFailure = qScopeGuard([modal] {
            if (modal->isVisible())
                qobject_cast<QDialog*>(modal)->reject();
        });
        auto* tree = modal->findChild<QTreeView*>();
        // Once its siblings are listed above it: 600 folders and itself.
        QTRY_COMPARE(tree->model()->rowCount(tree->currentIndex().parent()), 601);
        QTRY_VERIFY(
            tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()).center()));
        QTest::keyClick(tree, Qt::Key_Return);
    });
    const auto answer = m_service.pickFolder(DialogService::FolderRoot::Computer, chosen);
    QCOMPARE(answer, std::optional<QString>(QDir::toNativeSeparators(chosen)));
}

// Without a selection OK is off and Enter does nothing; a folder chosen with the
// keys turns it on.
void TestDialogServices::folderPickerOffersOkOnlyWithASelection() {
    QTemporaryDir dir;
    bool stayedOpen = false;
    whenModalShows([&](QWidget* modal) {
        const auto closeOnFailure = qScopeGuard([modal] {
            if (modal->isVisible())
                qobject_cast<QDialog*>(modal)->reject();
        });
        auto* tree = modal->findChild<QTreeView*>();
        auto* buttons = modal->findChild<QDialogButtonBox*>();
        QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
        QVERIFY(!tree->selectionModel()->hasSelection());
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(tree, Qt::Key_Return);
        stayedOpen = modal->isVisible();
        QTRY_VERIFY(tree->model()->rowCount(tree->rootIndex()) > 0);
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(tree, Qt::Key_Space);
        QVERIFY(tree->selectionModel()->hasSelection());
        QVERIFY(ok->isEnabled());
        QTest::keyClick(tree, Qt::Key_Escape);
    });
    QVERIFY(!m_service.pickFolder(DialogService::FolderRoot::Computer, dir.path() + "/nada"));
    QVERIFY(stayedOpen);
}

// Leaving the program from inside a box shown by a modal window must not leave
// the program waiting in either loop.
void TestDialogServices::terminateEndsNestedModalLoops() {
    QDialog window;
    bool boxReturned = false;
    whenModalShows([&](QWidget*) {
        whenModalShows([&](QWidget* box) {
            QVERIFY(qobject_cast<QMessageBox*>(box));
            m_service.terminate();
        });
        m_service.informationBox(QStringLiteral("x"));
        boxReturned = true;
    });
    QTimer failsafe;
    failsafe.setSingleShot(true);
    connect(&failsafe, &QTimer::timeout, &window, &QDialog::accept);
    failsafe.start(5000);
    m_service.execModal(window);
    QVERIFY(boxReturned);
    QVERIFY(failsafe.isActive());
}

void TestDialogServices::uncaughtErrorsReachErrorBox_data() {
    QTest::addColumn<bool>("appError");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("operator's error") << true << "Unable to write to /pasta/ruv.ini"
                                      << "Unable to write to /pasta/ruv.ini.";
    QTest::newRow("library error") << false << "falha ao alocar."
                                   << "falha ao alocar.";
}

// A click handler that throws: the real error box shows the text under the
// program's title, the window stays and the next click is handled again.
void TestDialogServices::uncaughtErrorsReachErrorBox() {
    QFETCH(bool, appError);
    QFETCH(QString, text);
    QPushButton button(QStringLiteral("Concluir"));
    setDialogs(&m_service);
    QStringList titles, texts;
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        whenModalShows([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            titles << box->windowTitle();
            texts << box->text();
            box->button(QMessageBox::Ok)->click();
        });
        if (appError)
            throw AppError(text);
        throw std::runtime_error(text.toStdString());
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);

    QCOMPARE(clicks, 2);
    QCOMPARE(titles, QStringList({"Parvel", "Parvel"}));
    QFETCH(QString, shown);
    QCOMPARE(texts, QStringList({shown, shown}));
    QVERIFY(button.isVisible());
}

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    TestDialogServices test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialogservices.moc"
