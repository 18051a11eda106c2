#include "probes/ConnectionTexts.h"

#include <QtTest>

class TestConnectionTexts : public QObject {
    Q_OBJECT

private slots:
    void connectionStrings_data() {
        QTest::addColumn<QString>("banco");
        QTest::addColumn<QString>("endereco");
        QTest::addColumn<QString>("porta");
        QTest::addColumn<QString>("pasta");
        QTest::addColumn<QString>("sistema");
        QTest::addColumn<QString>("conexao");

        QTest::newRow("main, Windows server")
            << "principal"
            << "192.168.0.10"
            << "3055"
            << R"(D:\Sistemas\)"
            << "WINDOWS"
            << R"(192.168.0.10/3055:D:\Sistemas\SGB_DADOS\RUVDADOS.FDB)";
        QTest::newRow("main, Linux server") << "principal"
                                            << "srv"
                                            << "3050"
                                            << "/dados/"
                                            << "LINUX"
                                            << "srv/3050:/dados/SGB_DADOS/RUVDADOS.FDB";
        QTest::newRow("system compared exactly") << "principal"
                                                 << "srv"
                                                 << "3050"
                                                 << "/d/"
                                                 << "windows"
                                                 << "srv/3050:/d/SGB_DADOS/RUVDADOS.FDB";
        QTest::newRow("empty address is this machine")
            << "principal"
            << ""
            << "3055"
            << R"(C:\RUV\)"
            << "WINDOWS"
            << R"(LocalHost/3055:C:\RUV\SGB_DADOS\RUVDADOS.FDB)";
        QTest::newRow("blank address is this machine")
            << "principal"
            << " \t "
            << "3055"
            << "/d/"
            << "LINUX"
            << "LocalHost/3055:/d/SGB_DADOS/RUVDADOS.FDB";
        QTest::newRow("address used untrimmed") << "principal"
                                                << " srv "
                                                << "3055"
                                                << "/d/"
                                                << "LINUX"
                                                << " srv /3055:/d/SGB_DADOS/RUVDADOS.FDB";
        QTest::newRow("folder joined as typed") << "principal"
                                                << "srv"
                                                << "3055"
                                                << "/d"
                                                << "LINUX"
                                                << "srv/3055:/dSGB_DADOS/RUVDADOS.FDB";
        QTest::newRow("TABDEF") << "tabdef"
                                << "10.0.0.2"
                                << "3051"
                                << R"(E:\Tab\)"
                                << "WINDOWS"
                                << R"(10.0.0.2/3051:E:\Tab\TABDEF\TABDEF.FDB)";
        QTest::newRow("TABDEF, Linux, local") << "tabdef"
                                              << ""
                                              << "3051"
                                              << "/tab/"
                                              << "LINUX"
                                              << "LocalHost/3051:/tab/TABDEF/TABDEF.FDB";
        QTest::newRow("attachments: separator even after one")
            << "anexos"
            << "srv"
            << "3055"
            << R"(D:\Anexos\)"
            << "WINDOWS"
            << R"(srv/3055:D:\Anexos\\RUVARQUIVOS.FDB)";
        QTest::newRow("attachments, Linux, local") << "anexos"
                                                   << ""
                                                   << "3055"
                                                   << "/anexos"
                                                   << "LINUX"
                                                   << "LocalHost/3055:/anexos/RUVARQUIVOS.FDB";
    }

    void connectionStrings() {
        QFETCH(QString, banco);
        QFETCH(QString, endereco);
        QFETCH(QString, porta);
        QFETCH(QString, pasta);
        QFETCH(QString, sistema);
        QFETCH(QString, conexao);
        const auto build = banco == "principal" ? &ConnectionTexts::bancoPrincipal
                           : banco == "tabdef"  ? &ConnectionTexts::bancoTabdef
                                                : &ConnectionTexts::bancoAnexos;
        QCOMPARE(build(endereco, porta, pasta, sistema), conexao);
    }

    void serviceManager_data() {
        QTest::addColumn<QString>("endereco");
        QTest::addColumn<QString>("servico");
        QTest::newRow("TCP") << "192.168.0.10"
                             << "192.168.0.10/3055:service_mgr";
        // This machine's server on the port of the connection strings, as any
        // other server is reached, on every platform: never an engine inside the
        // program, nor a local protocol that ignores the port.
        const QString local = "LocalHost/3055:service_mgr";
        QTest::newRow("empty: this machine") << "" << local;
        QTest::newRow("blanks: this machine") << "   " << local;
    }

    void serviceManager() {
        QFETCH(QString, endereco);
        QFETCH(QString, servico);
        QCOMPARE(ConnectionTexts::gerenciadorServicos(endereco, "3055"), servico);
    }

    // Whole seconds, never folded into a minute: a 75-second connection reads 75.
    void elapsedSeconds_data() {
        QTest::addColumn<qint64>("milissegundos");
        QTest::addColumn<QString>("segundos");
        QTest::newRow("under a second") << qint64(999) << "00";
        QTest::newRow("three seconds") << qint64(3400) << "03";
        QTest::newRow("over a minute") << qint64(75000) << "75";
        QTest::newRow("over 99 seconds") << qint64(125000) << "125";
    }

    void elapsedSeconds() {
        QFETCH(qint64, milissegundos);
        QFETCH(QString, segundos);
        QCOMPARE(ConnectionTexts::segundos(milissegundos), segundos);
    }

    void logLines() {
        QCOMPARE(ConnectionTexts::linhaConectado("a/1:b", 3000, false),
                 "Conectado em a/1:b Tempo: 03 segundos.");
        QCOMPARE(ConnectionTexts::linhaConectado("a/1:b", 75000, true),
                 "Conectado em a/1:b Tempo:75 segundos.");
        QCOMPARE(ConnectionTexts::linhasFalha("a/1:b"),
                 (QStringList{"Conexão Falhou.", "Não conseguiu conectar em a/1:b"}));
    }

    void reasonLine_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("linha");
        QTest::newRow("client messages, one per line")
            << "Unable to complete network request to host \"127.0.0.1\".\nFailed to establish a "
               "connection.\nConnection refused"
            << "Motivo: Unable to complete network request to host \"127.0.0.1\". - Failed to "
               "establish a connection. - Connection refused";
        QTest::newRow("CR LF, blank and NUL pieces dropped")
            << QString("a\r\n  \r\nb") + QChar(0) + "c\n"
            << "Motivo: a - b - c";
        QTest::newRow("program text kept as it is") << "Tempo esgotado."
                                                    << "Motivo: Tempo esgotado.";
    }

    void reasonLine() {
        QFETCH(QString, texto);
        QFETCH(QString, linha);
        QCOMPARE(ConnectionTexts::linhaMotivo(texto), linha);
    }
};

QTEST_GUILESS_MAIN(TestConnectionTexts)
#include "tst_ConnectionTexts.moc"
