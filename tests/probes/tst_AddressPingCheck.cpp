#include "RecordingDialogService.h"
#include "ScriptedIcmpClient.h"
#include "probes/AddressPingCheck.h"
#include "probes/UPing.h"

#include <QLabel>
#include <QTest>

class TestAddressPingCheck : public QObject {
    Q_OBJECT

    RecordingDialogService recorder;

    static QColor colour(const QLabel& label) {
        return label.palette().color(QPalette::WindowText);
    }

private slots:
    void init() {
        recorder = RecordingDialogService();
        setDialogs(&recorder);
    }

    void cleanup() { ScriptedIcmpClient::uninstall(); }

    // Whatever is not an answer (result 1) is a failure.
    void outcome_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("answered") << 1 << "OK" << QColor(0, 128, 0);
        QTest::newRow("not answered") << 2 << "FALHOU" << QColor(255, 0, 0);
        QTest::newRow("closed otherwise") << 0 << "FALHOU" << QColor(255, 0, 0);
    }

    void outcome() {
        QFETCH(int, result);
        QFETCH(QString, caption);
        QFETCH(QColor, colour);
        QLabel status(QStringLiteral("FALHOU"));
        status.hide();
        QString captionDuringCheck, target;
        bool hiddenDuringCheck = true;
        recorder.onModal = [&](QDialog&) {
            captionDuringCheck = status.text();
            hiddenDuringCheck = status.isHidden();
            target = AlvoPing;
            return result;
        };

        AddressPingCheck::run(QStringLiteral(" 10.0.0.7 "), status);

        QCOMPARE(recorder.entries.size(), 1);
        QCOMPARE(recorder.entries.first().text, QStringLiteral("FPing"));
        QCOMPARE(target, QStringLiteral(" 10.0.0.7 "));
        QCOMPARE(captionDuringCheck, QString());
        QVERIFY(!hiddenDuringCheck);
        QCOMPARE(status.text(), caption);
        QCOMPARE(TestAddressPingCheck::colour(status), colour);
    }

    // A blank field is not checked: an earlier red mark stays and keeps the saves back.
    void blankAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("tab") << "\t";
    }

    void blankAddress() {
        QFETCH(QString, address);
        QLabel status;
        recorder.onModal = [](QDialog&) { return 2; };
        AddressPingCheck::run(QStringLiteral("10.0.0.7"), status);

        AddressPingCheck::run(address, status);

        QCOMPARE(recorder.entries.size(), 1);
        QCOMPARE(status.text(), QStringLiteral("FALHOU"));
        QCOMPARE(colour(status), QColor(255, 0, 0));
    }

    // Through the real window, with a server that never answers.
    void unansweredServer() {
        auto script = ScriptedIcmpClient::install();
        for (int i = 0; i < 5; ++i)
            script->reports << ScriptedIcmpClient::timeOut();
        QLabel status;

        AddressPingCheck::run(QStringLiteral("10.0.0.7"), status);

        QCOMPARE(script->requests, 5);
        QCOMPARE(status.text(), QStringLiteral("FALHOU"));
        QVERIFY(FPing == nullptr);
    }
};

QTEST_MAIN(TestAddressPingCheck)
#include "tst_AddressPingCheck.moc"
