// The port texts the saves and the port rewrite accept, and the warning that
// names a refused one.
#include "funcoes/PortNumber.h"

#include <QTest>
#include <optional>

Q_DECLARE_METATYPE(std::optional<quint16>)

class TestPortNumber : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void refusalShowsTheTextOnOneShortLine_data();
    void refusalShowsTheTextOnOneShortLine();
};

void TestPortNumber::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<quint16>>("port");
    const std::optional<quint16> none;
    QTest::newRow("plain") << "3093" << std::optional<quint16>(3093);
    QTest::newRow("blanks around") << "  3050 " << std::optional<quint16>(3050);
    QTest::newRow("leading zeros") << "03055" << std::optional<quint16>(3055);
    QTest::newRow("lowest") << "1" << std::optional<quint16>(1);
    QTest::newRow("highest") << "65535" << std::optional<quint16>(65535);
    QTest::newRow("zero") << "0" << none;
    QTest::newRow("one past the highest") << "65536" << none;
    QTest::newRow("far past") << "99999" << none;
    QTest::newRow("32,767 digits") << QString(32767, u'9') << none;
    QTest::newRow("negative") << "-1" << none;
    QTest::newRow("plus sign") << "+3050" << none;
    QTest::newRow("letter inside") << "30x93" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("blanks only") << "   " << none;
    QTest::newRow("blank inside") << "30 50" << none;
    QTest::newRow("NUL after the digits") << QString("3093") + QChar(0) << none;
    QTest::newRow("line break after the digits") << "3093\n" << none;
    QTest::newRow("pasted line with a setting") << "3093\nRemoteBindAddress = 0.0.0.0" << none;
    QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("٣٠٥٠") << none;
    QTest::newRow("full-width digits") << QString::fromUtf8("３０５０") << none;
}

void TestPortNumber::parse() {
    QFETCH(QString, text);
    QTEST(PortNumber::parse(text), "port");
}

void TestPortNumber::refusalShowsTheTextOnOneShortLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("as typed") << " 99999"
                              << " 99999";
    QTest::newRow("line break and NUL as spaces") << QString("30\n93") + QChar(0) << "30 93 ";
    QTest::newRow("cut after 20 characters")
        << QString(32767, u'9') << QString(20, u'9') + QChar(0x2026);
}

void TestPortNumber::refusalShowsTheTextOnOneShortLine() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(PortNumber::refusal(text),
             "A porta informada (\"" + shown + "\") não é válida: informe um número de 1 a 65535.");
}

QTEST_GUILESS_MAIN(TestPortNumber)
#include "tst_portnumber.moc"
