#include "FileBytes.h"
#include "RecordingDialogService.h"
#include "Tmpfs.h"
#include "firebird/AlteraPortaFirebird.h"
#include "firebird/FirebirdInstall.h"
#include "firebird/PortRewrite.h"
#include "funcoes/AppError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray sampleConf = "# Firebird configuration\r\n"
                              "#RemoteServicePort = 3050\r\n"
                              "RemoteBindAddress =\r\n"
                              "# Configura\xe7\xe3o local\r\n"
                              "DefaultDbCachePages = 2048";

} // namespace

class TestAlteraPortaFirebird : public QObject {
    Q_OBJECT

private slots:
    void init() { setDialogs(&m_dialogs); }
    void cleanup() {
        m_dialogs.clear();
        setDialogs(nullptr);
    }

    void rewritesTheMatchingLines_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("porta");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("commented default, last line kept, ANSI text intact")
            << sampleConf << "3055"
            << QByteArray("# Firebird configuration\r\n"
                          "RemoteServicePort = 3055\r\n"
                          "RemoteBindAddress =\r\n"
                          "# Configura\xe7\xe3o local\r\n"
                          "DefaultDbCachePages = 2048\r\n");
        QTest::newRow("active lines of other spacing and case, as the server reads them")
            << QByteArray("RemoteServicePort=3050\n\tRemoteServicePort  = 3050\n"
                          "remoteserviceport = 1\n#RemoteServicePort=3050\n")
            << "3055"
            << QByteArray("RemoteServicePort = 3055\r\nRemoteServicePort = 3055\r\n"
                          "RemoteServicePort = 3055\r\n#RemoteServicePort=3050\r\n");
        QTest::newRow("no line sets or quotes the port: one added at the end")
            << QByteArray("#RemoteServicePort=3050\r\nRemoteServicePortX = 1\r\n"
                          "DefaultDbCachePages = 2048")
            << "3055"
            << QByteArray("#RemoteServicePort=3050\r\nRemoteServicePortX = 1\r\n"
                          "DefaultDbCachePages = 2048\r\nRemoteServicePort = 3055\r\n");
        QTest::newRow("several matching lines, each replaced whole")
            << QByteArray(
                   "RemoteServicePort = 3050 # old\r\n# set RemoteServicePort = 3051 here\r\n")
            << "3055" << QByteArray("RemoteServicePort = 3055\r\nRemoteServicePort = 3055\r\n");
        QTest::newRow("lone CR, LF and CR LF all end lines")
            << QByteArray("# a\rRemoteServicePort = 3050\r# b\n\r\nc\r") << "3055"
            << QByteArray("# a\r\nRemoteServicePort = 3055\r\n# b\r\n\r\nc\r\n");
        QTest::newRow("empty file")
            << QByteArray() << "3055" << QByteArray("RemoteServicePort = 3055\r\n");
        QTest::newRow("blanks and leading zeros: the plain number")
            << QByteArray("RemoteServicePort = 3050\r\n") << " 03055 "
            << QByteArray("RemoteServicePort = 3055\r\n");
    }

    void rewritesTheMatchingLines() {
        QFETCH(QByteArray, before);
        QFETCH(QString, porta);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";
        FileBytes::write(folder + "firebird.conf", before);

        QVERIFY(AlteraPortaFirebird(folder, porta));
        QCOMPARE(FileBytes::read(folder + "firebird.conf"), after);
        QVERIFY(AlteraPortaFirebird(folder, porta));
        QCOMPARE(FileBytes::read(folder + "firebird.conf"), after);

        // No temporary is left beside it.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"firebird.conf"});
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    // What the callers log, and the port the server reads before the rewrite.
    void tellsHowThePortIsSet_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("oldPort");
        QTest::addColumn<QString>("description");
        const QString file = QStringLiteral("O arquivo \"<conf>\" ");
        QTest::newRow("the line of the old rewrite")
            << QByteArray("#RemoteServicePort = 3050\r\nRemoteServicePort = 3051\r\n")
            << int(PortRewrite::Setting::Replaced) << 3051
            << file + "agora tem a linha \"RemoteServicePort = 3055\".";
        QTest::newRow("other spacing, the last active line is the server's")
            << QByteArray("RemoteServicePort=3051\r\n RemoteServicePort  =3052 # x\r\n")
            << int(PortRewrite::Setting::Respaced) << 3052
            << "A linha \"RemoteServicePort=3051\" do arquivo \"<conf>\" foi substituída por "
               "\"RemoteServicePort = 3055\".";
        QTest::newRow("none: the server's default")
            << QByteArray("#RemoteServicePort=3051\r\n") << int(PortRewrite::Setting::Added) << 3050
            << file + "não indicava a porta: a linha \"RemoteServicePort = 3055\" foi "
                      "acrescentada ao final dele.";
    }

    void tellsHowThePortIsSet() {
        QFETCH(QByteArray, before);
        QFETCH(QString, description);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";
        FileBytes::write(folder + "firebird.conf", before);

        const PortRewrite rewrite(folder, 3055);

        QCOMPARE(rewrite.refusal(), QString());
        QTEST(int(rewrite.setting()), "setting");
        QTEST(int(rewrite.oldPort()), "oldPort");
        QCOMPARE(rewrite.description(), description.replace("<conf>", folder + "firebird.conf"));
        // Nothing is written until asked, and the old bytes come back whole.
        QCOMPARE(FileBytes::read(folder + "firebird.conf"), before);
        QVERIFY(rewrite.write(nullptr));
        QVERIFY(FileBytes::read(folder + "firebird.conf") != before);
        QVERIFY(rewrite.restore(nullptr));
        QCOMPARE(FileBytes::read(folder + "firebird.conf"), before);
    }

    void refusesATextThatIsNoPort_data() {
        QTest::addColumn<QString>("porta");
        QTest::newRow("empty") << "";
        QTest::newRow("zero") << "0";
        QTest::newRow("past 65535") << "65536";
        QTest::newRow("letter") << "30x93";
        QTest::newRow("NUL") << QString("3093") + QChar(0);
        QTest::newRow("pasted setting") << "3093\r\nRemoteBindAddress = 0.0.0.0";
    }

    // No other caller can write what the saves refuse: nothing is read or
    // written, no box is shown, the error names the text.
    void refusesATextThatIsNoPort() {
        QFETCH(QString, porta);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";
        FileBytes::write(folder + "firebird.conf", sampleConf);

        try {
            AlteraPortaFirebird(folder, porta);
            QFAIL("the port was written");
        } catch (const AppError& error) {
            QVERIFY2(error.text().startsWith("A porta informada (\""), qPrintable(error.text()));
        }
        QCOMPARE(FileBytes::read(folder + "firebird.conf"), sampleConf);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"firebird.conf"});
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void derivesTheInstallationRoot_data() {
        QTest::addColumn<QString>("pastaDllCon");
        QTest::addColumn<QString>("root");

        QTest::newRow("Firebird_2_5 bin")
            << R"(C:\Arquivos de programas\Firebird\Firebird_2_5\bin\)"
            << R"(C:\Arquivos de programas\Firebird\Firebird_2_5\)";
        QTest::newRow("lower-case marker is no marker")
            << R"(C:\Arquivos de programas\Firebird\firebird_2_5\bin\)"
            << R"(C:\Arquivos de programas\Firebird\firebird_2_5\bin\)";
        QTest::newRow("own build") << R"(C:\Arquivos de programas\Firebird\Firebird_Quorvane\bin\)"
                                   << R"(C:\Arquivos de programas\Firebird\Firebird_Quorvane\)";
        QTest::newRow("dash marker, upper-case BIN") << "/opt/Firebird-2.1/BIN/"
                                                     << "/opt/Firebird-2.1/";
        QTest::newRow("first BIN in any case wins") << "/cabinet/Firebird_2/bin/"
                                                    << "/ca";
        QTest::newRow("marker without BIN") << "/opt/Firebird_2/lib/"
                                            << "";
        QTest::newRow("no marker") << "/opt/firebird/"
                                   << "/opt/firebird/";
    }

    void derivesTheInstallationRoot() {
        QFETCH(QString, pastaDllCon);
        QFETCH(QString, root);
        QCOMPARE(FirebirdInstall::installationRoot(pastaDllCon), root);
    }

    void rewritesTheConfOfABinLayout() {
        QTemporaryDir dir;
        const QString root = dir.path() + "/Firebird_2_5/";
        QVERIFY(QDir().mkpath(root + "bin"));
        FileBytes::write(root + "firebird.conf", "RemoteServicePort = 3050\r\n");

        QVERIFY(AlteraPortaFirebird(root + "bin/", "3051"));
        QCOMPARE(FileBytes::read(root + "firebird.conf"),
                 QByteArray("RemoteServicePort = 3051\r\n"));
    }

    void missingFolderIsSilent() {
        QTemporaryDir dir;
        QVERIFY(!AlteraPortaFirebird(dir.path() + "/nowhere/", "3055"));
        QVERIFY(!AlteraPortaFirebird("", "3055"));
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void missingConfWarnsAndCreatesNothing() {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";

        QVERIFY(!AlteraPortaFirebird(folder, "3055"));

        QCOMPARE(m_dialogs.texts("warningDialog"),
                 QStringList{"O Caminho da DLL de conexão com o Firebird não contem o arquivo "
                             "de configuração \"firebird.conf\".\rA Porta de conexão não pode "
                             "ser alterada."});
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
    }

    void refusedTemporaryWriteKeepsTheConf_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full file system") << false << "não há espaço livre no disco";
        QTest::newRow("read-only file system") << true << "o disco está somente para leitura";
    }

    void refusedTemporaryWriteKeepsTheConf() {
        QFETCH(bool, readOnly);
        QFETCH(QString, reason);
        if (!Tmpfs::supported())
            QSKIP("no tmpfs on this system");
        QTemporaryDir dir;
        Tmpfs mount(dir.path());
        QVERIFY2(mount.mounted(), "mounting a tmpfs needs root");
        const QString folder = dir.path() + "/";
        // Large enough that its copy cannot fit in what is left of the mount.
        QByteArray conf;
        while (conf.size() < 16 * 1024)
            conf += "#RemoteServicePort = 3050\r\n";
        FileBytes::write(folder + "firebird.conf", conf);
        if (readOnly)
            QVERIFY(mount.remountReadOnly());
        else
            mount.fill();

        try {
            AlteraPortaFirebird(folder, "3055");
            QFAIL("the refused write was not reported");
        } catch (const AppError& error) {
            QCOMPARE(error.text(), "Não foi possível gravar o arquivo \"" + folder +
                                       "firebird.conf\": " + reason + '.');
        }
        QCOMPARE(FileBytes::read(folder + "firebird.conf"), conf);
        // No temporary is left beside it.
        QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        left.removeOne("filler");
        QCOMPARE(left, QStringList{"firebird.conf"});
    }

private:
    RecordingDialogService m_dialogs;
};

QTEST_GUILESS_MAIN(TestAlteraPortaFirebird)
#include "tst_AlteraPortaFirebird.moc"
