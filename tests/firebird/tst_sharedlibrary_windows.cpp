#include "firebird/SharedLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Loading a library on Windows: what it needs is looked for in its own folder,
// whatever the program's folder and the current folder, and what is missing is
// named.
class TestSharedLibrary : public QObject {
    Q_OBJECT

    // A folder with an accent and a blank, holding the libraries named.
    static QString folderWith(const QTemporaryDir& dir, const QStringList& names) {
        const QString folder = dir.filePath("Ação do RUV");
        QDir().mkpath(folder);
        const QString built = QCoreApplication::applicationDirPath() + "/bibliotecas/";
        for (const QString& name : names)
            if (!QFile::copy(built + name, folder + '/' + name))
                qFatal("cannot copy %s", qPrintable(name));
        return folder + '/';
    }

private slots:
    // First: once a library is loaded, Windows takes a loaded module of the same
    // name for any later load, and the test process never unloads them.
    void namesWhatIsMissing() {
        QTemporaryDir dir;
        const QString folder = folderWith(dir, {"parvel_needs_gone.dll"});
        SharedLibrary library;
        QVERIFY(!library.load(folder + "parvel_needs_gone.dll"));
        QCOMPARE(library.error(), "falta a biblioteca \"parvel_gone.dll\", de que ela precisa, na "
                                  "pasta dela e no sistema");
    }

    void findsWhatItNeedsBesideIt() {
        QTemporaryDir dir;
        const QString folder = folderWith(dir, {"parvel_needs_gone.dll", "parvel_gone.dll"});
        SharedLibrary library;
        QVERIFY2(library.load(folder + "parvel_needs_gone.dll"), qPrintable(library.error()));
        QVERIFY(library.resolve("parvel_precisa_de_outra"));
        QVERIFY(!library.resolve("fb_interpret"));
    }
};

QTEST_GUILESS_MAIN(TestSharedLibrary)
#include "tst_sharedlibrary_windows.moc"
