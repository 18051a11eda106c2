#include "probes/IcmpClient.h"

#include <QFile>
#include <QTest>
#include <cstring>
#include <grp.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs in a network namespace of its own whose only interface is loopback: echo
// answers and socket kinds can be switched there, and no packet can leave the
// machine (there is no route beyond loopback).
class TestIcmpClient : public QObject {
    Q_OBJECT

    static void setSysctl(const char* name, const QByteArray& value) {
        QFile file(QStringLiteral("/proc/sys/net/ipv4/") + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(value), value.size());
    }

    // Datagram sockets are open to root only while its group is in the range.
    static void useSocketKind(const QString& kind) {
        setSysctl("ping_group_range", kind == "datagram" ? "0 0" : "1 0");
    }

    // The kernel lists open ICMP datagram sockets and raw sockets apart.
    static int openSockets(const QString& kind) {
        QFile table(kind == "datagram" ? "/proc/net/icmp" : "/proc/net/raw");
        if (!table.open(QIODevice::ReadOnly))
            return -1;
        return int(table.readAll().count('\n')) - 1;
    }

    static std::vector<IcmpReport> pingTimes(IcmpClient& client, int times) {
        std::vector<IcmpReport> reports;
        for (int i = 0; i < times; ++i)
            reports.push_back(client.ping());
        return reports;
    }

    static void addKinds() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("raw") << "raw";
        QTest::newRow("datagram") << "datagram";
    }

private slots:
    void initTestCase() {
        QVERIFY2(unshare(CLONE_NEWNET) == 0, "needs root for a network namespace");
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        ifreq request{};
        std::strncpy(request.ifr_name, "lo", IFNAMSIZ);
        QVERIFY(ioctl(fd, SIOCGIFFLAGS, &request) == 0);
        request.ifr_flags |= IFF_UP;
        QVERIFY(ioctl(fd, SIOCSIFFLAGS, &request) == 0);
        close(fd);
    }

    void init() { setSysctl("icmp_echo_ignore_all", "0"); }

    void answeredRequests_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("host");
        QTest::newRow("raw, address") << "raw"
                                      << "127.0.0.1";
        QTest::newRow("raw, name") << "raw"
                                   << "localhost";
        QTest::newRow("datagram, address") << "datagram"
                                           << "127.0.0.1";
    }

    void answeredRequests() {
        QFETCH(QString, kind);
        QFETCH(QString, host);
        useSocketKind(kind);
        auto client = IcmpClient::create();
        client->setHost(host);
        const auto reports = pingTimes(*client, 5);
        QCOMPARE(openSockets(kind), 1);
        for (size_t i = 0; i < reports.size(); ++i) {
            QCOMPARE(reports[i].bytes, IcmpClient::kDataSize);
            QCOMPARE(reports[i].sender, QStringLiteral("127.0.0.1"));
            QCOMPARE(reports[i].ttl, uint8_t(64));
            QCOMPARE(reports[i].sequence, uint16_t(reports[0].sequence + i));
            QVERIFY(reports[i].rttMs >= 0 && reports[i].rttMs < 100);
        }
    }

    // A raw socket also reads its own echo request; it must not pass for a reply.
    void unansweredRequestTimesOut_data() { addKinds(); }

    void unansweredRequestTimesOut() {
        QFETCH(QString, kind);
        useSocketKind(kind);
        setSysctl("icmp_echo_ignore_all", "1");
        auto client = IcmpClient::create();
        client->setHost(QStringLiteral("127.0.0.1"));
        const IcmpReport report = client->ping();
        QCOMPARE(report.bytes, 0);
        QCOMPARE(report.sender, QStringLiteral("0.0.0.0"));
        QCOMPARE(report.ttl, uint8_t(0));
        QVERIFY2(report.rttMs >= IcmpClient::kTimeoutMs && report.rttMs < 600,
                 qPrintable(QString::number(report.rttMs)));
    }

    // Every raw socket reads every echo reply. A reply that is still queued from
    // another client's request of the same sequence number is not this client's.
    void otherClientsReplyIsNotTaken() {
        useSocketKind("raw");
        auto first = IcmpClient::create();
        auto second = IcmpClient::create();
        first->setHost(QStringLiteral("127.0.0.1"));
        second->setHost(QStringLiteral("127.0.0.1"));
        second->ping(); // opens its socket: the replies to `first` are queued there too
        first->ping();
        const IcmpReport firstReport = first->ping();
        QCOMPARE(firstReport.bytes, IcmpClient::kDataSize);
        setSysctl("icmp_echo_ignore_all", "1");
        const IcmpReport secondReport = second->ping();
        QCOMPARE(secondReport.sequence, firstReport.sequence);
        QCOMPARE(secondReport.bytes, 0);
    }

    // An ordinary user where datagram sockets are closed to every group and raw
    // sockets need cap_net_raw: the client says so, naming the fix, instead of
    // reporting a network failure.
    void ordinaryUserIsToldWhy() {
        useSocketKind("raw"); // the range "1 0": no group may open datagram sockets
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            const gid_t nobody = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
                _exit(3);
            auto client = IcmpClient::create();
            client->setHost(QStringLiteral("127.0.0.1"));
            try {
                client->ping();
            } catch (const IcmpNotPermitted& error) {
                const std::string text = error.what();
                _exit(text.find("setcap cap_net_raw+ep /") != std::string::npos ? 0 : 4);
            } catch (...) {
                _exit(2);
            }
            _exit(1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        // 1: pinged after all, 2: another error, 3: could not become nobody, 4: no fix named
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void failuresAreErrors() {
        useSocketKind("raw");
        auto client = IcmpClient::create();
        QVERIFY_THROWS_EXCEPTION(IcmpError, client->ping());
        client->setHost(QStringLiteral("10.9.9.9")); // no route in this namespace
        QVERIFY_THROWS_EXCEPTION(IcmpError, client->ping());
    }
};

QTEST_APPLESS_MAIN(TestIcmpClient)
#include "tst_IcmpClient.moc"
