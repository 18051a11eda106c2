#include "probes/IcmpReplyLine.h"

#include <QTest>

class TestIcmpReplyLine : public QObject {
    Q_OBJECT

private slots:
    void line_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<int>("ttl");
        QTest::addColumn<int>("rttMs");
        QTest::addColumn<QString>("expected");

        QTest::newRow("full echo, 0 ms") << 1024 << "127.0.0.1" << 64 << 0
                                         << "1024 bytes de 127.0.0.1: sequencia#=3 "
                                            "tempo-de-vida(ttl)=64 tempo<1 ms ";
        QTest::newRow("full echo, 5 ms") << 1024 << "10.1.2.3" << 128 << 5
                                         << "1024 bytes de 10.1.2.3: sequencia#=3 "
                                            "tempo-de-vida(ttl)=128 tempo=5 ms ";
        QTest::newRow("72 bytes, no loss") << 72 << "10.1.2.3" << 64 << 12
                                           << "72 bytes de 10.1.2.3: sequencia#=3 "
                                              "tempo-de-vida(ttl)=64 tempo=12 ms ";
        QTest::newRow("71 bytes") << 71 << "10.1.2.3" << 64 << 1
                                  << "71 bytes de 10.1.2.3: sequencia#=3 tempo-de-vida(ttl)=64 "
                                     "tempo=1 ms ->1 Bytes Perdidos  01% de Perda";
        QTest::newRow("63 bytes") << 63 << "10.1.2.3" << 64 << 1
                                  << "63 bytes de 10.1.2.3: sequencia#=3 tempo-de-vida(ttl)=64 "
                                     "tempo=1 ms ->9 Bytes Perdidos  12% de Perda";
        QTest::newRow("36 bytes") << 36 << "10.1.2.3" << 64 << 1
                                  << "36 bytes de 10.1.2.3: sequencia#=3 tempo-de-vida(ttl)=64 "
                                     "tempo=1 ms ->36 Bytes Perdidos  50% de Perda";
        QTest::newRow("32 bytes") << 32 << "10.1.2.3" << 64 << 1
                                  << "32 bytes de 10.1.2.3: sequencia#=3 tempo-de-vida(ttl)=64 "
                                     "tempo=1 ms ->40 Bytes Perdidos  56% de Perda";
        QTest::newRow("9 bytes") << 9 << "10.1.2.3" << 64 << 1
                                 << "9 bytes de 10.1.2.3: sequencia#=3 tempo-de-vida(ttl)=64 "
                                    "tempo=1 ms ->63 Bytes Perdidos  88% de Perda";
        // Exact halves: 27 lost is 37.5 (up to 38), 45 lost is 62.5 (down to 62).
        QTest::newRow("45 bytes") << 45 << "10.1.2.3" << 64 << 1
                                  << "45 bytes de 10.1.2.3: sequencia#=3 tempo-de-vida(ttl)=64 "
                                     "tempo=1 ms ->27 Bytes Perdidos  38% de Perda";
        QTest::newRow("27 bytes") << 27 << "10.1.2.3" << 64 << 1
                                  << "27 bytes de 10.1.2.3: sequencia#=3 tempo-de-vida(ttl)=64 "
                                     "tempo=1 ms ->45 Bytes Perdidos  62% de Perda";
        QTest::newRow("time-out") << 0 << "0.0.0.0" << 0 << 500
                                  << "0 bytes de 0.0.0.0: sequencia#=3 tempo-de-vida(ttl)=0 "
                                     "tempo=500 ms ->72 Bytes Perdidos  100% de Perda";
    }

    void line() {
        QFETCH(int, bytes);
        QFETCH(QString, sender);
        QFETCH(int, ttl);
        QFETCH(int, rttMs);
        QFETCH(QString, expected);
        IcmpReport report;
        report.bytes = bytes;
        report.sender = sender;
        report.sequence = 3;
        report.ttl = uint8_t(ttl);
        report.rttMs = rttMs;
        QCOMPARE(icmpReplyLine(report), expected);
    }
};

QTEST_APPLESS_MAIN(TestIcmpReplyLine)
#include "tst_IcmpReplyLine.moc"
