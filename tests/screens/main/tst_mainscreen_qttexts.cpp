// The texts Qt draws itself on the main screen, with Qt's translation loaded as the
// program loads it at start: Portuguese whatever the locale the test runs under.
#include "WhenModalShows.h"
#include "config/ExecutableFolder.h"
#include "funcoes/Platform.h"
#include "screens/main/UParvel.h"
#include "ui/QtDialogService.h"
#include "ui/QtTranslation.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// The menu's entries as the operator reads them: no mnemonic marks, no shortcuts.
QStringList entries(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator())
            texts << action->text().section(u'\t', 0, 0).remove(u'&');
    return texts;
}

QStringList contextMenuOf(QLineEdit* field) {
    const std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
    return entries(*menu);
}

} // namespace

class TestMainScreenQtTexts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QtDialogService m_dialogs;
    std::unique_ptr<TFParvel> m_screen;

    template <typename T> T* widget(const char* name) {
        T* found = m_screen->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

private slots:
    void init() {
        ExecutableFolder::setForTesting(m_dir.path() + u'/');
        setDialogs(&m_dialogs);
        m_screen = std::make_unique<TFParvel>();
        m_screen->show();
        QApplication::setActiveWindow(m_screen.get());
        QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    }

    void cleanup() {
        m_screen.reset();
        ExecutableFolder::clearForTesting();
        setDialogs(nullptr);
    }

    // Runs first, before any translation is installed: a folder without the file
    // leaves Qt's texts in English, and nothing is said about it.
    void missingTranslationLeavesEnglishSilently() {
        QTemporaryDir empty;
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QVERIFY(!installQtTranslation(empty.path()));
        QVERIFY(contextMenuOf(widget<QLineEdit>("edIPBanco")).contains(QStringLiteral("Copy")));
    }

    void fieldContextMenu() {
        QVERIFY(installQtTranslation(platform::qtTranslationsFolder()));
        QCOMPARE(contextMenuOf(widget<QLineEdit>("edIPBanco")),
                 QStringList({"Desfazer", "Refazer", "Recortar", "Copiar", "Colar", "Excluir",
                              "Selecionar tudo"}));
    }

    // The attachments database's picker, opened by its button.
    void fileOpenPicker() {
        QString accept, reject;
        whenModalShows([&](QWidget* modal) {
            auto* buttons = modal->findChild<QDialogButtonBox*>();
            if (qobject_cast<QFileDialog*>(modal) && buttons) {
                accept = buttons->button(QDialogButtonBox::Open)->text().remove(u'&');
                reject = buttons->button(QDialogButtonBox::Cancel)->text().remove(u'&');
            }
            modal->close();
        });
        QTest::mouseClick(widget<QAbstractButton>("BitBtn4"), Qt::LeftButton);
        QCOMPARE(accept, QStringLiteral("Abrir"));
        QCOMPARE(reject, QStringLiteral("Cancelar"));
    }
};

QTEST_MAIN(TestMainScreenQtTexts)
#include "tst_mainscreen_qttexts.moc"
