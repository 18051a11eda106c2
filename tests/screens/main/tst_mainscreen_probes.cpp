#include "LoopbackHttpServer.h"
#include "RecordingDialogService.h"
#include "config/ExecutableFolder.h"
#include "screens/main/UParvel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The address check and the integration probe as the operator reaches them on the
// main screen: by leaving a field and by clicking the probe button.
class TestMainScreenProbes : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingDialogService m_recorder;
    std::unique_ptr<TFParvel> m_screen;

    template <typename T> T* widget(const char* name) {
        T* found = m_screen->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

    // Gives `field` the focus, types `text` into it and moves on to the port field.
    void leave(const char* field, const QString& text) {
        auto* edit = widget<QLineEdit>(field);
        edit->setFocus(Qt::TabFocusReason);
        edit->setText(text);
        widget<QLineEdit>("edPorta")->setFocus(Qt::TabFocusReason);
    }

    QColor colour(const char* label) {
        return widget<QLabel>(label)->palette().color(QPalette::WindowText);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        ExecutableFolder::setForTesting(m_dir->path() + u'/');
        QFile ini(m_dir->filePath("ruv.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[RUV]\r\nServidor=10.0.0.7\r\nIPNET=10.0.0.7\r\n");
        ini.close();
        m_recorder = RecordingDialogService();
        setDialogs(&m_recorder);
        m_screen = std::make_unique<TFParvel>();
        m_screen->show();
        QApplication::setActiveWindow(m_screen.get());
        QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    }

    void cleanup() {
        m_screen.reset();
        ExecutableFolder::clearForTesting();
        setDialogs(nullptr);
    }

    // 127.0.0.1 is really pinged; the other address gets a ping window that reports
    // no answer without sending anything.
    void addressCheck_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("scriptedResult"); // 0: the window really runs
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("answered") << "127.0.0.1" << 0 << "OK" << QColor(0, 128, 0);
        QTest::newRow("not answered") << " 10.0.0.7 " << 2 << "FALHOU" << QColor(255, 0, 0);
    }

    void addressCheck() {
        QFETCH(QString, address);
        QFETCH(int, scriptedResult);
        QFETCH(QString, caption);
        QFETCH(QColor, colour);
        if (scriptedResult)
            m_recorder.onModal = [=](QDialog&) { return scriptedResult; };

        leave("edIPNET", address);

        QCOMPARE(m_recorder.texts("modal"), QStringList{"FPing"});
        QCOMPARE(widget<QLabel>("LSTS3")->text(), caption);
        QCOMPARE(this->colour("LSTS3"), colour);
    }

    // A blank field is not checked: the red mark of the last check stays.
    void blankAddressKeepsTheMark() {
        m_recorder.onModal = [](QDialog&) { return 2; };
        leave("edIPNET", QStringLiteral("10.0.0.8"));
        leave("edIPNET", QStringLiteral("   "));
        QCOMPARE(m_recorder.texts("modal").size(), 1);
        QCOMPARE(widget<QLabel>("LSTS3")->text(), QStringLiteral("FALHOU"));
    }

    void noCheckWhileLoading() {
        Carregado = false;
        leave("edIPNET", QStringLiteral("10.0.0.8"));
        Carregado = true;
        QVERIFY(m_recorder.entries.isEmpty());
        QCOMPARE(widget<QLabel>("LSTS3")->text(), QString());
    }

    void otherAddressFieldsAreNotChecked() {
        leave("edIPBanco", QStringLiteral("10.0.0.8"));
        leave("edIPTABDEF", QStringLiteral("10.0.0.9"));
        leave("edIPNtier", QStringLiteral("10.0.0.10"));
        QVERIFY(m_recorder.entries.isEmpty());
        for (const char* label : {"LSTS", "LSTS1", "LSTS2", "LSTS3"})
            QCOMPARE(widget<QLabel>(label)->text(), QString());
    }

    // With the integration off the field is empty and disabled; the button still works.
    void integrationProbeOfAnEmptyAddress() {
        QVERIFY(!widget<QLineEdit>("edtCaminhoInteg")->isEnabled());
        QCOMPARE(widget<QPushButton>("btnTestaIntegra")->toolTip(),
                 QStringLiteral("Testar conexão da integração"));
        QTest::mouseClick(widget<QPushButton>("btnTestaIntegra"), Qt::LeftButton);
        QCOMPARE(m_recorder.texts("warningDialog"),
                 QStringList{"Atenção !!!\rÉ obrigatório informar o caminho da integração!!!"});
    }

    void integrationProbe() {
        LoopbackHttpServer server(LoopbackHttpServer::answer("200 OK", "Pong"));
        widget<QLineEdit>("edtCaminhoInteg")->setText(server.url("/wsmerco/wsmerco.dll"));
        QTest::mouseClick(widget<QPushButton>("btnTestaIntegra"), Qt::LeftButton);
        QCOMPARE(m_recorder.texts("confirmation"),
                 QStringList{"CONEXÃO ESTABELECIDA COM SUCESSO."});
    }

    // The field is used as typed: the blank before the address does not stop the request.
    void integrationProbeOfAnAddressWithALeadingBlank() {
        LoopbackHttpServer server(LoopbackHttpServer::answer("200 OK", "Pong"));
        widget<QLineEdit>("edtCaminhoInteg")->setText(u' ' + server.url("/wsmerco/wsmerco.dll"));
        QTest::mouseClick(widget<QPushButton>("btnTestaIntegra"), Qt::LeftButton);
        QCOMPARE(server.requests.size(), 1);
        QVERIFY(server.requests.first().startsWith("GET /wsmerco/wsmerco.dll/ping HTTP/1.1\r\n"));
        QCOMPARE(m_recorder.texts("confirmation"),
                 QStringList{"CONEXÃO ESTABELECIDA COM SUCESSO."});
        QCOMPARE(widget<QLineEdit>("edtCaminhoInteg")->text(),
                 u' ' + server.url("/wsmerco/wsmerco.dll"));
    }

    // A service that takes the connection and never answers costs ten seconds, then
    // the error box; the screen is usable again.
    void integrationProbeOfASilentService() {
        LoopbackHttpServer server(QByteArray{});
        widget<QLineEdit>("edtCaminhoInteg")->setText(server.url("/ws"));
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(widget<QPushButton>("btnTestaIntegra"), Qt::LeftButton);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 10000 && elapsed < 12500, qPrintable(QString::number(elapsed)));
        QCOMPARE(m_recorder.texts("error").size(), 1);
        QVERIFY(m_screen->isVisible());
    }
};

QTEST_MAIN(TestMainScreenProbes)
#include "tst_mainscreen_probes.moc"
