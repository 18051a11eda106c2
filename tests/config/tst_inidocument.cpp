#include "config/IniDocument.h"

#include <QTest>

namespace {

// A UTF-16 little-endian file with its mark, from ASCII or UTF-8 text.
QByteArray utf16(const char* text) {
    const QString units = QString::fromUtf8(text);
    QByteArray bytes("\xFF\xFE");
    for (const QChar unit : units)
        bytes += char(unit.unicode() & 0xFF) + QByteArray(1, char(unit.unicode() >> 8));
    return bytes;
}

} // namespace

// The parser works on the stored bytes; these tables use ASCII and a few
// Windows-1252 bytes written as escapes.
class TestIniDocument : public QObject {
    Q_OBJECT

private slots:
    void value_data();
    void value();
    void setValue_data();
    void setValue();
};

void TestIniDocument::value_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("expected");

    const QByteArray ruv = "[RUV]\r\nServidor=10.0.0.5\r\nPORTACON=\r\nCaminho_TabDef=D:\\T\\\r\n";
    QTest::newRow("plain") << ruv << "RUV"
                           << "Servidor" << true << "10.0.0.5";
    QTest::newRow("section and key in other case") << ruv << "ruv"
                                                   << "Caminho_Tabdef" << true << "D:\\T\\";
    QTest::newRow("present empty value") << ruv << "RUV"
                                         << "PORTACON" << true << "";
    QTest::newRow("missing key") << ruv << "RUV"
                                 << "PORTADS" << false << "";
    QTest::newRow("missing section") << ruv << "PUX"
                                     << "Servidor" << false << "";
    QTest::newRow("empty text") << QByteArray() << "RUV"
                                << "Servidor" << false << "";
    QTest::newRow("blanks around key and value")
        << QByteArray("[RUV]\n  Servidor \t=  a b  \n") << "RUV"
        << "Servidor" << true << "a b";
    QTest::newRow("key only in another section")
        << QByteArray("[PUX]\nServidor=x\n[RUV]\nIPDS=y\n") << "RUV"
        << "Servidor" << false << "";
    QTest::newRow("first of two sections of the same name")
        << QByteArray("[RUV]\nA=1\n[ruv]\nA=2\nB=3\n") << "RUV"
        << "A" << true << "1";
    QTest::newRow("entry before any section is in none") << QByteArray("A=1\n[RUV]\n") << "RUV"
                                                         << "A" << false << "";
    QTest::newRow("comment is no entry") << QByteArray("[RUV]\n;A=1\n") << "RUV"
                                         << ";A" << false << "";
    QTest::newRow("lone CR ends lines") << QByteArray("[RUV]\rA=1\rB=2") << "RUV"
                                        << "B" << true << "2";
    QTest::newRow("equals sign inside the value") << QByteArray("[RUV]\nA=x=y\n") << "RUV"
                                                  << "A" << true << "x=y";
    QTest::newRow("section line with blanks inside the brackets")
        << QByteArray(" [ RUV ] \nA=1\n") << "RUV"
        << "A" << true << "1";
    QTest::newRow("NUL byte inside the value") << QByteArray("[RUV]\nA=a\0b\n", 11) << "RUV"
                                               << "A" << true << QStringLiteral("a\0b");
    QTest::newRow("accented names match without case")
        << QByteArray("[Configura\xc7\xc3O]\nA=1\n") << "configuração"
        << "a" << true << "1";
    QTest::newRow("double quotes dropped")
        << QByteArray("[RUV]\nServidor = \"10.0.0.5\" \n") << "RUV"
        << "Servidor" << true << "10.0.0.5";
    QTest::newRow("single quotes dropped, blanks inside kept")
        << QByteArray("[RUV]\nA=' a b '\n") << "RUV"
        << "A" << true << " a b ";
    QTest::newRow("only one pair dropped") << QByteArray("[RUV]\nA=\"\"x\"\"\n") << "RUV"
                                           << "A" << true << "\"x\"";
    QTest::newRow("quotes that do not match kept") << QByteArray("[RUV]\nA=\"x'\n") << "RUV"
                                                   << "A" << true << "\"x'";
    QTest::newRow("a lone quote kept") << QByteArray("[RUV]\nA=\"\n") << "RUV"
                                       << "A" << true << "\"";
    QTest::newRow("empty quotes give an empty value") << QByteArray("[RUV]\nA=''\n") << "RUV"
                                                      << "A" << true << "";
    QTest::newRow("UTF-8 mark skipped, text after it UTF-8")
        << QByteArray("\xEF\xBB\xBF[RUV]\r\nCaminho=C:\\Configura\xC3\xA7\xC3\xB5"
                      "es\r\n")
        << "RUV"
        << "Caminho" << true << QString::fromUtf8("C:\\Configurações");
    QTest::newRow("UTF-16 with its mark") << utf16("[RUV]\r\nServidor=Ação €\r\n") << "ruv"
                                          << "SERVIDOR" << true << QString::fromUtf8("Ação €");
    QTest::newRow("3000 characters cut at 2047") << "[RUV]\r\nA=" + QByteArray(3000, 'x') + "\r\n"
                                                 << "RUV"
                                                 << "A" << true << QString(2047, u'x');
}

void TestIniDocument::value() {
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, present);
    QFETCH(QString, expected);

    const std::optional<QString> got = IniDocument(text).value(section, key);
    QCOMPARE(got.has_value(), present);
    if (present)
        QCOMPARE(*got, expected);
}

void TestIniDocument::setValue_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new text") << QByteArray() << "RUV"
                              << "Servidor"
                              << "srv" << QByteArray("[RUV]\r\nServidor=srv\r\n");
    QTest::newRow("replace in place keeps everything else, LF ends included")
        << QByteArray("; topo\n[RUV]\nservidor = old \n\nOutra=1\n[X]\n") << "RUV"
        << "Servidor"
        << "new" << QByteArray("; topo\n[RUV]\nservidor =new\n\nOutra=1\n[X]\n");
    QTest::newRow("empty value keeps the key") << QByteArray("[RUV]\r\nA=1\r\n") << "RUV"
                                               << "A"
                                               << "" << QByteArray("[RUV]\r\nA=\r\n");
    QTest::newRow("new key after the section's last entry, before its blank lines")
        << QByteArray("[RUV]\nA=1\n\n[PUX]\nB=2\n") << "ruv"
        << "C"
        << "3" << QByteArray("[RUV]\nA=1\nC=3\r\n\n[PUX]\nB=2\n");
    QTest::newRow("new key in the last section without final line end")
        << QByteArray("[RUV]\nA=1") << "RUV"
        << "B"
        << "2" << QByteArray("[RUV]\nA=1\r\nB=2\r\n");
    QTest::newRow("new key in an empty section") << QByteArray("[RUV]\r\n[PUX]\r\n") << "RUV"
                                                 << "A"
                                                 << "1" << QByteArray("[RUV]\r\nA=1\r\n[PUX]\r\n");
    QTest::newRow("new section at the end")
        << QByteArray("[RUV]\nA=1\n") << "PUX"
        << "Servidor"
        << "" << QByteArray("[RUV]\nA=1\n[PUX]\r\nServidor=\r\n");
    QTest::newRow("new section after a last line without line end")
        << QByteArray("; só isto") << "RUV"
        << "A"
        << "1" << QByteArray("; só isto\r\n[RUV]\r\nA=1\r\n");
    QTest::newRow("line breaks in a value cannot add lines")
        << QByteArray("[RUV]\r\nA=1\r\n") << "RUV"
        << "A"
        << "x\r\n[PUX]\nB=y" << QByteArray("[RUV]\r\nA=x  [PUX] B=y\r\n");
    QTest::newRow("quotes written as given") << QByteArray() << "RUV"
                                             << "A"
                                             << "\"x\"" << QByteArray("[RUV]\r\nA=\"x\"\r\n");
    QTest::newRow("UTF-8 mark kept, its section found, value in UTF-8")
        << QByteArray("\xEF\xBB\xBF[RUV]\r\nA=1\r\n") << "RUV"
        << "B" << QString::fromUtf8("Ação")
        << QByteArray("\xEF\xBB\xBF[RUV]\r\nA=1\r\nB=A\xC3\xA7\xC3\xA3o\r\n");
    QTest::newRow("UTF-16 file stays UTF-16")
        << utf16("[RUV]\r\nA=1\r\n") << "RUV"
        << "A" << QString::fromUtf8("Ação") << utf16("[RUV]\r\nA=Ação\r\n");
    QTest::newRow("UTF-16 file gets its new section in UTF-16")
        << utf16("[RUV]\r\nA=1") << "PUX"
        << "B"
        << "2" << utf16("[RUV]\r\nA=1\r\n[PUX]\r\nB=2\r\n");
    QTest::newRow("value written as given, longer than a reader gets")
        << QByteArray() << "RUV"
        << "A" << QString(3000, u'z') << "[RUV]\r\nA=" + QByteArray(3000, 'z') + "\r\n";
    QTest::newRow("Windows-1252 bytes, '?' for what the code page lacks")
        << QByteArray() << "RUV"
        << "Caminho" << QString::fromUtf8("C:\\Configurações\\€ ☃")
        << QByteArray("[RUV]\r\nCaminho=C:\\Configura\xe7\xf5"
                      "es\\\x80 ?\r\n");
}

void TestIniDocument::setValue() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    IniDocument document(before);
    document.setValue(section, key, value);
    QCOMPARE(document.bytes(), after);
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
