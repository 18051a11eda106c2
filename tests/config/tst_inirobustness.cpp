#include "IniDocumentCheck.h"
#include "config/IniDocument.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

// Any byte sequence is a possible "ruv.ini": a reader must neither crash nor
// hang on it, and a write must still change only its own entry.
class TestIniRobustness : public QObject {
    Q_OBJECT

private slots:
    void hostileTexts_data();
    void hostileTexts();
    void randomTexts();
};

void TestIniRobustness::hostileTexts_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("NUL bytes") << QByteArray("[RUV]\0\nServidor=\0a\0\n\0[\0]=\0", 27);
    QTest::newRow("lone CRs") << QByteArray("\r\r[RUV]\rServidor=a\r\r=\r[\r");
    QTest::newRow("no final line end") << QByteArray("[RUV]\r\nServidor=a");
    QTest::newRow("section line without its end") << QByteArray("[RUV");
    QTest::newRow("only brackets and signs") << QByteArray("[]\n[=]\n=\n]\n[[RUV]]\n");
    QTest::newRow("every byte value") << [] {
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        return "[RUV]\nServidor=" + all + "\n" + all;
    }();
    QTest::newRow("UTF-8 mark alone") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("UTF-8 mark, invalid UTF-8 after it")
        << QByteArray("\xEF\xBB\xBF[RUV]\nServidor=\xC3\n\xE7\xFF[PUX]\r");
    QTest::newRow("UTF-16 mark, odd length, unpaired surrogates")
        << QByteArray("\xFF\xFE[\0R\0U\0V\0]\0\n\0\x00\xD8=\0\x00\xDC\x00\xD8\r", 23);
    QTest::newRow("10 MB line") << "[RUV]\nServidor=" + QByteArray(10 * 1024 * 1024, 'x');
    QTest::newRow("10 MB of line ends") << QByteArray(10 * 1024 * 1024, '\n');
}

void TestIniRobustness::hostileTexts() {
    QFETCH(QByteArray, text);
    QElapsedTimer timer;
    timer.start();
    if (text.size() > 1024 * 1024) {
        // Huge texts: one read and one write, as the store does per call.
        IniDocument document(text);
        QVERIFY(!document.value("PUX", "Servidor"));
        document.setValue("RUV", "Servidor", "novo");
        QCOMPARE(document.value("ruv", "servidor"), "novo");
        QVERIFY2(timer.elapsed() < 20000, "took too long");
        return;
    }
    for (const char* section : {"RUV", "PUX"}) {
        for (const QString& value : {QString(), QString("novo\r\nvalor"), QString(3000, u'v')}) {
            const QString failure = IniDocumentCheck::afterWrite(text, section, "Servidor", value);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
    }
}

void TestIniRobustness::randomTexts() {
    // Texts made of the pieces that matter to the parser, so that the random
    // texts hit section lines, entries and odd line ends often.
    const QList<QByteArray> pieces{
        "[",    "]",    "=",    ";",     " ",  "\t", "\r", "\n", "\r\n", QByteArray(1, '\0'),
        "\xc7", "\xe7", "\x80", "valor", "\"", "'"};
    QList<QByteArray> tokens = pieces;
    for (const QString& name : IniDocumentCheck::names())
        tokens.append(name.toLatin1());

    QRandomGenerator random(20240611);
    QElapsedTimer timer;
    timer.start();
    const QStringList& names = IniDocumentCheck::names();
    for (int round = 0; round < 20000 && timer.elapsed() < 20000; ++round) {
        static const QByteArray marks[] = {"", "", "\xEF\xBB\xBF", "\xFF\xFE"};
        QByteArray text = marks[random.bounded(4)];
        const int length = random.bounded(60);
        for (int i = 0; i < length; ++i)
            text += tokens[random.bounded(tokens.size())];
        const QString section = names[random.bounded(names.size())];
        const QString key = names[random.bounded(names.size())];
        QByteArray valueBytes;
        for (int i = random.bounded(1, 4); i > 0; --i)
            valueBytes += tokens[random.bounded(tokens.size())];
        const QString value = QString::fromLatin1(valueBytes);
        const QString failure = IniDocumentCheck::afterWrite(text, section, key, value);
        QVERIFY2(failure.isEmpty(),
                 qPrintable(QStringLiteral("%1 in %2 after [%3] %4=%5")
                                .arg(failure, QString::fromLatin1(text.toPercentEncoding()),
                                     section, key, value)));
    }
}

QTEST_GUILESS_MAIN(TestIniRobustness)
#include "tst_inirobustness.moc"
