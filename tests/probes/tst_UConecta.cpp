#include "FirebirdTestServer.h"
#include "RecordingDialogService.h"
#include "funcoes/Platform.h"
#include "probes/UConecta.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QtTest>
#include <clocale>
#include <langinfo.h>

namespace {

QStringList lines(const QPlainTextEdit& log) {
    return log.toPlainText().split('\n');
}

const QString aguarde = "Aguarde... Verificando Usuário...";

} // namespace

class TestUConecta : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString why;
        QVERIFY2(m_server.require(why), qPrintable(why));
        setDialogs(&m_dialogs);
    }

    void init() {
        ConEnderecoBanco = "127.0.0.1";
        ConEnderecoTabdef = "127.0.0.1";
        ConPastaBanco = m_server.dataFolder();
        ConPastaTabdef = m_server.dataFolder();
        ConSistemaBanco = "LINUX";
        ConSistemaTabdef = "LINUX";
        ConPastaDll = m_server.clientFolder();
        ConArquivoDll = "fbclient.dll";
        ConPorta = m_server.port();
        m_log.setPlainText("linha anterior");
    }

    QString principal() const {
        return "127.0.0.1/" + m_server.port() + ":" + m_server.dataFolder() +
               "SGB_DADOS/RUVDADOS.FDB";
    }
    QString tabdef() const {
        return "127.0.0.1/" + m_server.port() + ":" + m_server.dataFolder() + "TABDEF/TABDEF.FDB";
    }

    // The locale the client converts file names in, after the start's character
    // handling: the one the environment names, or for a character set other than
    // UTF-8 its language in UTF-8. A locale the machine lacks would leave
    // C.UTF-8 and this run would prove nothing of the one it names.
    void characterHandlingIsTheEnvironmentsLanguageInUtf8() {
        QByteArray named;
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            named = qgetenv(variable);
            if (!named.isEmpty())
                break;
        }
        const QHash<QByteArray, QByteArray> expected{{"", "C.UTF-8"},
                                                     {"C.UTF-8", "C.UTF-8"},
                                                     {"pt_BR.UTF-8", "pt_BR.UTF-8"},
                                                     {"pt_BR.ISO-8859-1", "pt_BR.UTF-8"}};
        QVERIFY2(expected.contains(named), ("no expectation for the locale " + named).constData());
        QCOMPARE(QByteArray(std::setlocale(LC_CTYPE, nullptr)), expected[named]);
        QCOMPARE(QByteArray(nl_langinfo(CODESET)), "UTF-8");
    }

    void createsTheMissingUserThenOpensBothDatabases() {
        QString why;
        QVERIFY2(m_server.dropUser("TOMRUV", why), qPrintable(why));
        TFConecta window(m_log);

        QCOMPARE(dialogs().execModal(window), 1);

        QCOMPARE(lines(m_log), (QStringList{
                                   "linha anterior",
                                   aguarde,
                                   "Conectado em " + principal() + " Tempo: 00 segundos.",
                                   "Conectado em " + tabdef() + " Tempo:00 segundos.",
                               }));
        QStringList users;
        QVERIFY2(m_server.userNames(users, why), qPrintable(why));
        QVERIFY2(users.contains("TOMRUV"), qPrintable(users.join(',')));
        QCOMPARE(m_log.textCursor().position(), 0);
    }

    // An add-user action for an existing name is refused by the server, so a
    // passing test proves that none was started.
    void existingUserIsNotAddedAgain() {
        QString why;
        QVERIFY2(m_server.addUserIfMissing("TOMRUV", "pelmor", why), qPrintable(why));
        TFConecta window(m_log);
        QVERIFY(window.TestaConexao());
        QCOMPARE(lines(m_log).size(), 4);
    }

    void failuresEndTheTest_data() {
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("reason"); // in the "Motivo: " line that ends the log

        const QString wrongMain =
            "127.0.0.1/" + m_server.port() + ":/nao/existe/SGB_DADOS/RUVDADOS.FDB";
        const QString wrongTabdef =
            "127.0.0.1/" + m_server.port() + ":/nao/existe/TABDEF/TABDEF.FDB";
        // The server's words, then the sentence for the technician.
        const QString notOpened = "Error while trying to open file - No such file or directory - "
                                  "O servidor não conseguiu abrir o arquivo: confira se a pasta é "
                                  "a do disco do próprio servidor";
        const QString windowsMain = "127.0.0.1/" + m_server.port() + ":" + m_server.dataFolder() +
                                    "SGB_DADOS\\RUVDADOS.FDB";
        QTest::newRow("wrong database folder")
            << "ConPastaBanco"
            << "/nao/existe/"
            << QStringList{"Conexão Falhou.", "Não conseguiu conectar em " + wrongMain}
            << notOpened;
        QTest::newRow("Windows separator on this server")
            << "ConSistemaBanco"
            << "WINDOWS"
            << QStringList{"Conexão Falhou.", "Não conseguiu conectar em " + windowsMain}
            << notOpened;
        QTest::newRow("TABDEF fails after the main database")
            << "ConPastaTabdef"
            << "/nao/existe/"
            << QStringList{"Conectado em " + principal() + " Tempo: 00 segundos.",
                           "Conexão Falhou.", "Não conseguiu conectar em " + wrongTabdef}
            << notOpened;
        QTest::newRow("client library missing")
            << "ConArquivoDll"
            << "nada.dll" << QStringList{}
            << "A biblioteca de conexão \"" + m_server.clientFolder() +
                   "nada.dll\" não pode ser carregada: o arquivo não existe.";
    }

    void failuresEndTheTest() {
        QFETCH(QString, parameter);
        QFETCH(QString, value);
        QFETCH(QStringList, after);
        QFETCH(QString, reason);
        QString* const target = parameter == "ConPastaBanco"     ? &ConPastaBanco
                                : parameter == "ConSistemaBanco" ? &ConSistemaBanco
                                : parameter == "ConPastaTabdef"  ? &ConPastaTabdef
                                                                 : &ConArquivoDll;
        *target = value;
        TFConecta window(m_log);

        QCOMPARE(dialogs().execModal(window), 2);
        const QStringList logged = lines(m_log);
        QCOMPARE(logged.mid(0, logged.size() - 1),
                 QStringList({"linha anterior", aguarde}) + after);
        QVERIFY2(logged.last().startsWith("Motivo: ") && logged.last().contains(reason),
                 qPrintable(logged.last()));
    }

    void unreachableServiceManagerWritesNothing() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        ConPorta = QString::number(closed.serverPort());
        closed.close();
        TFConecta window(m_log);

        QVERIFY(!window.TestaConexao());
        const QStringList logged = lines(m_log);
        QCOMPARE(logged.mid(0, 2), (QStringList{"linha anterior", aguarde}));
        QCOMPARE(logged.size(), 3);
        // A server of this machine on 3050, 3051 or 3055 (a demo) is named after it.
        const QString reason = "Motivo: Unable to complete network request to host "
                               "\"127.0.0.1\". - Failed to establish a connection.";
        QVERIFY2(
            logged.last() == reason ||
                logged.last().startsWith(reason + " - um servidor Firebird responde na porta "),
            qPrintable(logged.last()));
    }

    void refusedAdministratorWritesNothing() {
        bool ok = false;
        m_server.fbsvcmgr(
            {"-action_modify_user", "-sec_username", "SYSDBA", "-sec_password", "outra"}, &ok);
        QVERIFY(ok);
        TFConecta window(m_log);
        const bool conectou = window.TestaConexao();
        // Put the password back through the new one before any check can end the test.
        bool restored = false;
        const QString restoring =
            m_server.fbsvcmgr({"-action_modify_user", "-sec_username", "SYSDBA", "-sec_password",
                               FirebirdTestServer::sysdbaPassword},
                              &restored, "outra");
        QVERIFY2(restored, qPrintable(restoring));
        // Listed with the usual password: it is back.
        QString why;
        QStringList users;
        QVERIFY2(m_server.userNames(users, why), qPrintable(why));
        QVERIFY(!conectou);
        QCOMPARE(lines(m_log).mid(0, 2), (QStringList{"linha anterior", aguarde}));
        QCOMPARE(lines(m_log).size(), 3);
        QVERIFY2(lines(m_log).last().startsWith("Motivo: Your user name and password are not "
                                                "defined.") &&
                     lines(m_log).last().contains("não conhece o usuário SYSDBA"),
                 qPrintable(lines(m_log).last()));
        QVERIFY(users.contains("SYSDBA"));
    }

    // No address: the local service manager (reached through the root's
    // firebird.conf) and "LocalHost/" strings; each server keeps its own choice.
    void blankAddressIsThisMachine() {
        ConEnderecoBanco = "  ";
        ConEnderecoTabdef = "";
        TFConecta window(m_log);

        QVERIFY(window.TestaConexao());
        const QString local = "LocalHost/" + m_server.port() + ":" + m_server.dataFolder();
        QCOMPARE(lines(m_log).mid(2),
                 (QStringList{
                     "Conectado em " + local + "SGB_DADOS/RUVDADOS.FDB Tempo: 00 segundos.",
                     "Conectado em " + local + "TABDEF/TABDEF.FDB Tempo:00 segundos.",
                 }));
    }

    void attachmentsTestStartsFromAnEmptyLog() {
        ConPastaBanco = m_server.dataFolder().chopped(1);
        ConPastaTabdef = "/nao/usada/";
        TFConecta window(m_log);
        window.FazAnexo = true;

        QCOMPARE(dialogs().execModal(window), 1);
        QCOMPARE(lines(m_log), (QStringList{aguarde, "Conectado em 127.0.0.1/" + m_server.port() +
                                                         ":" + m_server.dataFolder() +
                                                         "RUVARQUIVOS.FDB Tempo: 00 segundos."}));
    }

    // Like the ping window, the tester cannot be dismissed: it closes itself.
    void escapeAndCloseDoNotEndTheTest() {
        TFConecta window(m_log);
        QTimer::singleShot(300, &window, [&] {
            QTest::keyClick(&window, Qt::Key_Escape);
            window.close();
        });
        QCOMPARE(dialogs().execModal(window), 1);
        QCOMPARE(lines(m_log).size(), 4);
    }

    void windowLookAndCaption() {
        TFConecta window(m_log);
        QVERIFY(!window.FazAnexo);
        QCOMPARE(window.windowTitle(), "Conectando");
        QCOMPARE(window.size(), QSize(232, 67));
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(window.findChild<QLabel*>("Label2")->text(), "Aguarde");
        QCOMPARE(window.Timer1.interval(), 1000);
        QVERIFY(!window.Timer1.isActive() && !window.Timer2.isActive());

        auto* caption = window.findChild<QLabel*>("Label1");
        ConContadorLegenda = 0;
        QStringList seen;
        for (int i = 0; i < 6; ++i) {
            QMetaObject::invokeMethod(&window, "Timer2Timer");
            seen << caption->text();
        }
        QCOMPARE(seen, (QStringList{"Conectando.", "Conectando..", "Conectando...",
                                    "Conectando....", "Conectando.....", "Conectando."}));
    }

private:
    FirebirdTestServer m_server;
    RecordingDialogService m_dialogs;
    QPlainTextEdit m_log;
};

// Started as the program starts: its character handling set before the client
// library loads.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    platform::prepareCharacterHandling();
    TestUConecta test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_UConecta.moc"
