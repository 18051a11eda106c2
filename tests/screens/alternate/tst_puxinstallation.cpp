#include "funcoes/Platform.h"
#include "screens/alternate/PuxInstallation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPuxInstallation : public QObject {
    Q_OBJECT

private slots:
    void folder_data();
    void folder();
    void warnings_data();
    void warnings();
};

void TestPuxInstallation::folder_data() {
    QTest::addColumn<QString>("rede");
    QTest::addColumn<QString>("pux");
    QTest::newRow("hint example") << R"(\\SERVIDOR\Quorvane\RUV7\)"
                                  << R"(\\SERVIDOR\Quorvane\PUX)";
    QTest::newRow("lower case, cut at RUV7") << R"(f:\ruv7\sistemas\)"
                                             << R"(f:\PUX)";
    QTest::newRow("trimmed") << "  /srv/RUV7/ \t"
                             << "/srv/PUX";
    QTest::newRow("no RUV7") << R"(\\SRV\Sistemas\)"
                             << R"(\\SRV\Sistemas\)";
    QTest::newRow("empty") << ""
                           << "";
}

void TestPuxInstallation::folder() {
    QFETCH(QString, rede);
    QFETCH(QString, pux);
    QCOMPARE(PuxInstallation::folder(rede), pux);
}

// Fixture folders stand for the shared network folder; the warnings name the
// folder or the database file that was looked for.
void TestPuxInstallation::warnings_data() {
    QTest::addColumn<QString>("rede");      // relative to the fixture; "" = empty folder text
    QTest::addColumn<QStringList>("criar"); // folders/files to create in the fixture
    QTest::addColumn<QString>("aviso");     // expected warning, "@" = fixture path

    const QString semPasta =
        "Atenção !!!\nA Pasta contendo a instalação do sistema [PUX - Cadastrix], não foi "
        "encotrada.\nCaminho: @/Quorvane/PUX. Instale o sistema para poder habilitar o sistema.";
    const QString semBanco = "Atenção !!!\nO Arquivo do banco de dados do [PUX - Cadastrix], não "
                             "foi encotrado.\nCaminho: %1. Instale o sistema para poder "
                             "habilitar o sistema.";
    // The database file is named with the platform's separator after the folder.
    const QString database =
        QStringList{"", "Dados", "QUORVANE_PUX.FDB"}.join(platform::pathSeparator());
    QTest::newRow("no PUX folder")
        << "/Quorvane/RUV7/" << QStringList{"Quorvane/RUV7/"} << semPasta;
    QTest::newRow("no PUX database")
        << "/Quorvane/RUV7/" << QStringList{"Quorvane/RUV7/", "Quorvane/PUX/Dados/"}
        << semBanco.arg("@/Quorvane/PUX" + database);
    QTest::newRow("database is a folder")
        << "/Quorvane/RUV7/" << QStringList{"Quorvane/PUX/Dados/QUORVANE_PUX.FDB/"}
        << semBanco.arg("@/Quorvane/PUX" + database);
    QTest::newRow("installed") << "/Quorvane/ruv7/exe/"
                               << QStringList{"Quorvane/PUX/Dados/QUORVANE_PUX.FDB"} << "";
    QTest::newRow("no RUV7: delimiter doubled")
        << "/Quorvane/" << QStringList{"Quorvane/"} << semBanco.arg("@/Quorvane/" + database);
    QTest::newRow("empty: the root is looked at") << "" << QStringList{} << semBanco.arg(database);
}

void TestPuxInstallation::warnings() {
    QFETCH(QString, rede);
    QFETCH(QStringList, criar);
    QFETCH(QString, aviso);
    QTemporaryDir fixture;
    QVERIFY(fixture.isValid());
    for (const QString& item : criar) {
        const QString path = fixture.filePath(item);
        if (item.endsWith('/')) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    const QString pasta = rede.isEmpty() ? QString() : fixture.path() + rede;
    QCOMPARE(PuxInstallation::missingInstallationWarning(pasta),
             QString(aviso).replace('@', fixture.path()));
}

QTEST_GUILESS_MAIN(TestPuxInstallation)
#include "tst_puxinstallation.moc"
