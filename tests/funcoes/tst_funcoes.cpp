#include "funcoes/funcoes.h"

#include <QRegularExpression>
#include <QTest>

class TestFuncoes : public QObject {
    Q_OBJECT

private slots:
    void versaoExe();
    void estaEmBranco_data();
    void estaEmBranco();
    void tiraEspacos();
    void apara_data();
    void apara();
    void pastaDoArquivo_data();
    void pastaDoArquivo();
    void ultimosCaracteres_data();
    void ultimosCaracteres();
    void soDigitos_data();
    void soDigitos();
    void segmentoDoFim_data();
    void segmentoDoFim();
};

void TestFuncoes::versaoExe() {
    QCOMPARE(VersaoExe(), QStringLiteral(PARVEL_VERSION));
    QVERIFY(QRegularExpression(R"(^\d+\.\d+\.\d+\.\d+$)").match(VersaoExe()).hasMatch());
}

void TestFuncoes::estaEmBranco_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("branco");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("three spaces") << "   " << true;
    QTest::newRow("space x space") << " x " << false;
    QTest::newRow("a tab is no space") << "\t" << false;
    QTest::newRow("no-break space is no space") << "\u00a0" << false;
}

void TestFuncoes::estaEmBranco() {
    QFETCH(QString, texto);
    QFETCH(bool, branco);
    QCOMPARE(EstaEmBranco(texto), branco);
}

void TestFuncoes::tiraEspacos() {
    QCOMPARE(TiraEspacos(" 192.168. 0.1 "), "192.168.0.1");
    QCOMPARE(TiraEspacos("a\tb  c"), "a\tbc");
    QCOMPARE(TiraEspacos(""), "");
}

void TestFuncoes::apara_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blanks and controls around") << " \t\r\n\x01S\x1f "
                                                << "S";
    QTest::newRow("inner blanks stay") << "  C:\\Meus Dados\\ "
                                       << "C:\\Meus Dados\\";
    QTest::newRow("only controls") << "\t \x02"
                                   << "";
    // Code 160 is above 32: a non-breaking space is part of the text.
    QTest::newRow("non-breaking space stays")
        << QStringLiteral(u"\u00a0x\u00a0") << QStringLiteral(u"\u00a0x\u00a0");
}

void TestFuncoes::apara() {
    QFETCH(QString, texto);
    QFETCH(QString, esperado);
    QCOMPARE(Apara(texto), esperado);
}

void TestFuncoes::pastaDoArquivo_data() {
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<QString>("pasta");
    QTest::newRow("windows") << "D:\\Anexos\\OUTRO.FDB"
                             << "D:\\Anexos\\";
    QTest::newRow("linux") << "/x/Anexos/RUVARQUIVOS.FDB"
                           << "/x/Anexos/";
    QTest::newRow("mixed, last delimiter wins") << "C:/a\\b/c.fdb"
                                                << "C:/a\\b/";
    QTest::newRow("no folder") << "RUVARQUIVOS.FDB"
                               << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestFuncoes::pastaDoArquivo() {
    QFETCH(QString, arquivo);
    QFETCH(QString, pasta);
    QCOMPARE(PastaDoArquivo(arquivo), pasta);
}

void TestFuncoes::ultimosCaracteres_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("resultado");
    QTest::newRow("last one") << "C:\\Dados" << 1 << "s";
    QTest::newRow("empty text") << "" << 1 << "";
    QTest::newRow("shorter than n") << "ab" << 5 << "ab";
    QTest::newRow("exactly n") << "abc" << 3 << "abc";
    QTest::newRow("zero") << "abc" << 0 << "";
    QTest::newRow("largest n") << QString(300, u'x') << 255 << QString(255, u'x');
}

void TestFuncoes::ultimosCaracteres() {
    QFETCH(QString, texto);
    QFETCH(int, n);
    QFETCH(QString, resultado);
    QCOMPARE(UltimosCaracteres(texto, quint8(n)), resultado);
}

void TestFuncoes::soDigitos_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("resultado");
    QTest::newRow("host with digits") << "srv-01.local"
                                      << "01";
    QTest::newRow("no digits") << "localhost"
                               << "";
    QTest::newRow("address") << " 10.0.0.1 "
                             << "10001";
    QTest::newRow("non-ASCII digits are dropped") << "1\u0662\uff13"
                                                  << "1";
    QTest::newRow("empty") << ""
                           << "";
}

void TestFuncoes::soDigitos() {
    QFETCH(QString, texto);
    QFETCH(QString, resultado);
    QCOMPARE(SoDigitos(texto), resultado);
    QCOMPARE(EhDigito(texto), texto.size() == 1 && resultado == texto);
}

void TestFuncoes::segmentoDoFim_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("separador");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("resultado");
    QTest::newRow("last folder") << "D:\\Dados\\CIDADES\\"
                                 << "\\" << 1 << "CIDADES";
    QTest::newRow("case kept") << "D:\\Dados\\cidades\\"
                               << "\\" << 1 << "cidades";
    QTest::newRow("no trailing separator") << "D:\\Dados\\CIDADES"
                                           << "\\" << 1 << "Dados";
    QTest::newRow("runs to the start") << "CIDADES\\"
                                       << "\\" << 1 << "CIDADES";
    QTest::newRow("second from the end") << "D:\\Dados\\CIDADES\\"
                                         << "\\" << 2 << "Dados";
    QTest::newRow("slashes") << "/srv/dados/CIDADES/"
                             << "/" << 1 << "CIDADES";
    QTest::newRow("two separators in a row") << "D:\\Dados\\\\"
                                             << "\\" << 1 << "";
    QTest::newRow("single separator") << "\\"
                                      << "\\" << 1 << "";
    QTest::newRow("fewer separators than n") << "D:\\Dados\\"
                                             << "\\" << 3 << "";
    QTest::newRow("n zero") << "D:\\Dados\\"
                            << "\\" << 0 << "";
    QTest::newRow("n negative") << "D:\\Dados\\"
                                << "\\" << -1 << "";
    QTest::newRow("empty text") << ""
                                << "\\" << 1 << "";
    QTest::newRow("empty separator") << "D:\\Dados\\"
                                     << "" << 1 << "";
    QTest::newRow("two-character separator") << "D:\\Dados\\"
                                             << "\\\\" << 1 << "";
}

void TestFuncoes::segmentoDoFim() {
    QFETCH(QString, texto);
    QFETCH(QString, separador);
    QFETCH(int, n);
    QFETCH(QString, resultado);
    QCOMPARE(SegmentoDoFim(texto, separador, n), resultado);
}

QTEST_GUILESS_MAIN(TestFuncoes)
#include "tst_funcoes.moc"
