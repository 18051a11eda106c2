#include "firebird/FirebirdStatus.h"
#include "probes/ConnectionAdvice.h"

#include <QtTest>

namespace {

// Status vectors as the client gives them, strings included: the reading must
// step over each argument by its kind to find the numbers after it.
using Vector = QList<ISC_STATUS>;

ISC_STATUS text(const char* s) {
    return reinterpret_cast<ISC_STATUS>(s);
}

const char* file = "/dados/SGB_DADOS/RUVDADOS.FDB";

} // namespace

// The cases a Linux client cannot meet with the machine's own client settings
// (a client that offers only Legacy_Auth, one that offers no wire encryption, a
// database older than the server) and the reading of the vector; the cases that
// a server's settings can cause run against real servers in tst_savereasons.
class TestConnectionAdvice : public QObject {
    Q_OBJECT

private slots:
    void sentenceFromTheCodes_data() {
        QTest::addColumn<Vector>("vector");
        QTest::addColumn<QString>("sentence"); // in full; empty for none

        const QString userRefused =
            "O servidor não conhece o usuário TOMRUV com essa senha: confira a senha no servidor; "
            "num Firebird 3 ou mais novo que aceita Legacy_Auth, o usuário precisa existir "
            "também para o Legacy_UserManager (UserManager = Srp, Legacy_UserManager no "
            "firebird.conf e CREATE USER ... USING PLUGIN Legacy_UserManager).";
        const QString encryption =
            "O servidor exige criptografia na conexão (WireCrypt = Required) e este cliente não "
            "oferece uma que ele aceite: no firebird.conf do servidor ponha WireCrypt = Enabled "
            "e reinicie o serviço.";

        QTest::newRow("no authentication in common")
            << Vector{isc_arg_gds, isc_login_error, isc_arg_end}
            << "O servidor não aceita nenhuma forma de autenticação deste cliente, em geral por "
               "aceitar só Srp (Firebird 3 ou mais novo) e o cliente usar Legacy_Auth: no "
               "firebird.conf do servidor ponha AuthServer = Srp, Legacy_Auth e UserManager = "
               "Srp, Legacy_UserManager, reinicie o serviço e crie o usuário com CREATE USER ... "
               "USING PLUGIN Legacy_UserManager (o firebird.log do servidor diz a causa exata).";
        QTest::newRow("user and password refused")
            << Vector{isc_arg_gds, isc_login, isc_arg_end} << userRefused;
        QTest::newRow("old client, encryption required")
            << Vector{isc_arg_gds, isc_wirecrypt_incompatible, isc_arg_end} << encryption;
        QTest::newRow("no encryption the server accepts")
            << Vector{isc_arg_gds, isc_miss_wirecrypt, isc_arg_end} << encryption;
        QTest::newRow("Firebird 2.5 database on a 3.0 server")
            << Vector{isc_arg_gds,
                      isc_wrong_ods,
                      isc_arg_cstring,
                      29,
                      text(file),
                      isc_arg_number,
                      11,
                      isc_arg_number,
                      2,
                      isc_arg_number,
                      12,
                      isc_arg_number,
                      2,
                      isc_arg_end}
            << "O banco tem a estrutura em disco 11.2, do Firebird 2.5, mais antiga que as que "
               "este servidor abre (a 12): faça backup dele com o gbak dessa versão e restore "
               "neste servidor.";
        QTest::newRow("Firebird 5 database on a 4.0 server")
            << Vector{isc_arg_gds,    isc_wrong_ods,
                      isc_arg_string, text(file),
                      isc_arg_number, 13,
                      isc_arg_number, 1,
                      isc_arg_number, 13,
                      isc_arg_number, 0,
                      isc_arg_end}
            << "O banco tem a estrutura em disco 13.1, do Firebird 5.0, mais nova que a deste "
               "servidor (que abre até a 13.0): abra-o num servidor da versão que o criou.";
        QTest::newRow("structure of no known version")
            << Vector{isc_arg_gds,    isc_wrong_ods,
                      isc_arg_string, text(file),
                      isc_arg_number, 14,
                      isc_arg_number, 0,
                      isc_arg_number, 13,
                      isc_arg_number, 1,
                      isc_arg_end}
            << "O banco tem a estrutura em disco 14.0, mais nova que a deste servidor (que abre "
               "até a 13.1): abra-o num servidor da versão que o criou.";
        QTest::newRow("structure without its numbers")
            << Vector{isc_arg_gds, isc_wrong_ods, isc_arg_string, text(file), isc_arg_end}
            << "O banco foi criado por uma versão do Firebird diferente da deste servidor: "
               "abra-o num servidor da versão que o criou.";
        QTest::newRow("file the server cannot open, its system's words as text")
            << Vector{isc_arg_gds,         isc_io_error,
                      isc_arg_string,      text("open"),
                      isc_arg_string,      text(file),
                      isc_arg_gds,         isc_io_open_err,
                      isc_arg_interpreted, text("Acesso negado."),
                      isc_arg_end}
            << "O servidor não conseguiu abrir o arquivo: confira se a pasta é a do disco do "
               "próprio servidor (não uma unidade mapeada nesta máquina) e se o usuário com que "
               "roda o serviço do Firebird pode ler e escrever nela e no arquivo.";
        QTest::newRow("the code after another one")
            << Vector{isc_arg_gds, isc_random, isc_arg_string, text("x"),
                      isc_arg_gds, isc_login,  isc_arg_end}
            << userRefused;
        QTest::newRow("a code among the warnings only")
            << Vector{isc_arg_gds, isc_random, isc_arg_warning, isc_login, isc_arg_end} << "";
        QTest::newRow("server not reached: the port hint's case")
            << Vector{isc_arg_gds, isc_network_error, isc_arg_string, text("srv"), isc_arg_end}
            << "";
    }

    void sentenceFromTheCodes() {
        QFETCH(Vector, vector);
        QFETCH(QString, sentence);
        QCOMPARE(ConnectionAdvice::para(FirebirdStatus(vector.constData()), "TOMRUV"), sentence);
    }
};

QTEST_GUILESS_MAIN(TestConnectionAdvice)
#include "tst_ConnectionAdvice.moc"
