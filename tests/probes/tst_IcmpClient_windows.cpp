#include "probes/IcmpClient.h"

#include <QTest>

// The Windows client against the loopback interface, which always answers:
// the system's ICMP service sends the requests and matches the replies.
class TestIcmpClient : public QObject {
    Q_OBJECT

private slots:
    void answeredRequests_data() {
        QTest::addColumn<QString>("host");
        QTest::newRow("address") << "127.0.0.1";
        QTest::newRow("name") << "localhost";
    }

    void answeredRequests() {
        QFETCH(QString, host);
        auto client = IcmpClient::create();
        client->setHost(host);
        std::vector<IcmpReport> reports;
        for (int i = 0; i < 5; ++i)
            reports.push_back(client->ping());
        for (size_t i = 0; i < reports.size(); ++i) {
            QCOMPARE(reports[i].bytes, IcmpClient::kDataSize);
            QCOMPARE(reports[i].sender, QStringLiteral("127.0.0.1"));
            QVERIFY(reports[i].ttl > 0);
            QCOMPARE(reports[i].sequence, uint16_t(reports[0].sequence + i));
            QVERIFY(reports[i].rttMs >= 0 && reports[i].rttMs < IcmpClient::kTimeoutMs);
        }
    }

    void pingWithoutHostFails() {
        auto client = IcmpClient::create();
        QVERIFY_THROWS_EXCEPTION(IcmpError, client->ping());
    }
};

QTEST_GUILESS_MAIN(TestIcmpClient)
#include "tst_IcmpClient_windows.moc"
