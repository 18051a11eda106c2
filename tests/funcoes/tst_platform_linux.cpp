#include "funcoes/Platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The client library a connection-library folder offers: the name the settings
// give it first; on this system its own library names after that.
class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void clientLibraryFile_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("chosen");
        const QStringList both{"fbclient.dll", "libfbclient.so.2", "libfbclient.so"};
        QTest::newRow("the name of the settings first") << both << "fbclient.dll"
                                                        << "fbclient.dll";
        QTest::newRow("GDS32.DLL as named") << QStringList{"GDS32.DLL"} << "GDS32.DLL"
                                            << "GDS32.DLL";
        QTest::newRow("the system's library in its place")
            << QStringList{"libfbclient.so.2", "libfbclient.so"} << "fbclient.dll"
            << "libfbclient.so.2";
        QTest::newRow("the development link last")
            << QStringList{"libfbclient.so"} << "fbclient.dll"
            << "libfbclient.so";
        QTest::newRow("a folder by the name is no library")
            << QStringList{"fbclient.dll/", "libfbclient.so"} << "fbclient.dll"
            << "libfbclient.so";
        QTest::newRow("nothing: the name, for the loader to report")
            << QStringList{"fbclient.txt"} << "fbclient.dll"
            << "fbclient.dll";
    }

    void clientLibraryFile() {
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/Configurações RUV/bin/";
        QVERIFY(QDir().mkpath(folder));
        for (const QString& file : files) {
            if (file.endsWith('/')) {
                QVERIFY(QDir(folder).mkdir(file));
                continue;
            }
            QFile library(folder + file);
            QVERIFY(library.open(QIODevice::WriteOnly));
        }
        QCOMPARE(platform::clientLibraryFile(folder, name), folder + chosen);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform_linux.moc"
