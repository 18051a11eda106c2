#include "RecordingDialogService.h"
#include "config/ExecutableFolder.h"
#include "funcoes/Platform.h"
#include "screens/main/UParvel.h"
#include "ui_UParvel.h"

#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using Expect = QMap<QString, QString>;

namespace {

const QString yes = QStringLiteral("sim");
const QString no = QStringLiteral("não");

// What a test sees of one widget: "name" is its text, its checked state or its
// current page; "name.visible" and "name.enabled" its flags.
QString state(const TFParvel& screen, const QString& what) {
    const QStringList parts = what.split(u'.');
    auto* widget = screen.findChild<QWidget*>(parts.first());
    if (!widget)
        return QStringLiteral("<no widget %1>").arg(parts.first());
    if (parts.value(1) == QLatin1String("visible"))
        return widget->isHidden() ? no : yes;
    if (parts.value(1) == QLatin1String("enabled"))
        return widget->isEnabled() ? yes : no;
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->isChecked() ? yes : no;
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* log = qobject_cast<QPlainTextEdit*>(widget))
        return log->toPlainText();
    if (auto* pages = qobject_cast<QStackedWidget*>(widget))
        return pages->currentWidget()->objectName();
    if (auto* tabs = qobject_cast<QTabWidget*>(widget))
        return tabs->currentWidget()->objectName();
    return QStringLiteral("<unknown kind>");
}

// Each widget named in `expected` against its expected state; the failure names it.
void compareAll(const TFParvel& screen, const Expect& expected) {
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(it.key() + u'=' + state(screen, it.key()), it.key() + u'=' + it.value());
}

// The field that has focus, named as the screen names it (the tab strip is the
// tabbed area's).
QString focusName() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return QString();
    if (qobject_cast<QTabBar*>(focus))
        return focus->parentWidget()->objectName();
    return focus->objectName();
}

const char* const fullIni = R"([RUV]
Servidor=192.168.0.10
ServidorTabDef=192.168.0.11
SO_Servidor=WINDOWS
SO_ServidorTabDef=LINUX
Caminho_Base_Dados=C:\Quorvane\RUV7\
Caminho_TabDef=/home/samba/Quorvane/RUV7/
Caminho_Cidades=\\SERVIDOR\Quorvane\RUV7\CIDADES\
Diretorio_Servidor=\\SERVIDOR\Quorvane\RUV7\
CaminhoDLLCON=C:\Quorvane\RUV7\
PORTACON=3050
IPDS=192.168.0.12
PORTADS=4063
IPNET=200.1.2.3
PORTADSHTTP=7061
DSLOCAL= S 
HAB_INTEGRA_CONTINTERNO=S
CAMINHO_INTEGRA_CONTINTERNO=http://localhost:8075/wsmerco/wsmerco.dll
[PUX]
Caminho_Base_Dados=C:\Quorvane\PUX\
[RUV_ANEXO]
Servidor=192.168.0.20
Caminho_Base_Dados=D:\ANEXOS\
)";

} // namespace

class TestMainScreen : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loading_data();
    void loading();
    void pageChangeReloadsServerAddress();
    void connectionTypeSwitching();
    void enterAndArrowsMoveAlongFocusOrder_data();
    void enterAndArrowsMoveAlongFocusOrder();
    void tabVisitsGroupsInOrder();
    void messageLogShowsTheFocus();
    void noticesOnEnter_data();
    void noticesOnEnter();
    void operatingSystemGuessOnExit_data();
    void operatingSystemGuessOnExit();
    void localFolderCopiedToEmptyCitiesFolder();
    void switchingWindowsRunsNoFieldHandler();
    void folderPickers_data();
    void folderPickers();
    void networkPickerStartsWhereItWasLeft();
    void connectionLibraryPicker_data();
    void connectionLibraryPicker();
    void defaultsButton();
    void defaultsKeepFocusWhileCompletionDisabled();
    void multiCompanyAndIntegrationToggles();
    void escapeAndExitButtonEndTheProgram_data();
    void escapeAndExitButtonEndTheProgram();

private:
    void writeFile(const QString& name, const QByteArray& content = {});
    TFParvel& open();
    void focusOn(const char* name);
    QWidget* widget(const char* name) { return m_screen->findChild<QWidget*>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingDialogService> m_recorder;
    std::unique_ptr<TFParvel> m_screen;
};

void TestMainScreen::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    ExecutableFolder::setForTesting(m_dir->path() + u'/');
    m_recorder = std::make_unique<RecordingDialogService>();
    setDialogs(m_recorder.get());
    Carregado = false;
    MantemServico = false;
}

void TestMainScreen::cleanup() {
    m_screen.reset();
    ExecutableFolder::clearForTesting();
    setDialogs(nullptr);
}

void TestMainScreen::writeFile(const QString& name, const QByteArray& content) {
    QFile file(m_dir->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TFParvel& TestMainScreen::open() {
    m_screen = std::make_unique<TFParvel>();
    m_screen->show();
    QApplication::setActiveWindow(m_screen.get());
    [&] { QVERIFY(QTest::qWaitForWindowActive(m_screen.get())); }();
    return *m_screen;
}

void TestMainScreen::focusOn(const char* name) {
    widget(name)->setFocus(Qt::TabFocusReason);
    QCOMPARE(focusName(), QString::fromLatin1(name));
}

void TestMainScreen::loading_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("besides");
    QTest::addColumn<Expect>("expected");

    QTest::newRow("no file") << QByteArray() << QStringList()
                             << Expect{{"edIPBanco", ""},
                                       {"edIPTABDEF", ""},
                                       {"rLocal", yes},
                                       {"PIP.visible", no},
                                       {"rbLinuxBD", yes},
                                       {"rbLinuxTABDEF", yes},
                                       {"edPorta", "3055"},
                                       {"edNTier", "3063"},
                                       {"edHTTP", "6061"},
                                       {"edDllCon", ""},
                                       {"edPastaLocalBD", ""},
                                       {"edtCaminhoANX", "SGB_DADOS\\"},
                                       {"chRenome", no},
                                       {"edPastaCidades.visible", no},
                                       {"chkLocal", no},
                                       {"chPux", no},
                                       {"chPux.visible", no},
                                       {"chkIntegra", no},
                                       {"edtCaminhoInteg.enabled", no},
                                       {"btnNovoModelo.visible", no},
                                       {"PGD", "tbDirBco"},
                                       {"pg", "tb00"},
                                       {"LSTS", ""},
                                       {"LSTS3", ""},
                                       {"Memo5", ""}};
    QTest::newRow("full file")
        << QByteArray(fullIni) << QStringList()
        << Expect{{"rTCPIP", yes},
                  {"PIP.visible", yes},
                  {"edIPBanco", "192.168.0.10"},
                  {"edIPTABDEF", "192.168.0.11"},
                  {"edIPNtier", "192.168.0.12"},
                  {"edIPNET", "200.1.2.3"},
                  {"rbWinBD", yes},
                  {"rbLinuxTABDEF", yes},
                  {"edDllCon", "C:\\Quorvane\\RUV7\\"},
                  {"edPorta", "3050"},
                  {"edNTier", "4063"},
                  {"edHTTP", "7061"},
                  {"edPastaLocalBD", "C:\\Quorvane\\RUV7\\"},
                  {"edPastaLocalTABDEF", "/home/samba/Quorvane/RUV7/"},
                  {"edPastaRede", "\\\\SERVIDOR\\Quorvane\\RUV7\\"},
                  {"edPastaCidades", "\\\\SERVIDOR\\Quorvane\\RUV7\\CIDADES\\"},
                  {"edPastaCidades.visible", no},
                  {"chkLocal", yes},
                  {"chPux", yes},
                  {"chPux.visible", no},
                  {"edtCaminhoANX", "D:\\ANEXOS\\"},
                  {"chkIntegra", yes},
                  {"edtCaminhoInteg", "http://localhost:8075/wsmerco/wsmerco.dll"},
                  {"edtCaminhoInteg.enabled", yes}};
    QTest::newRow("empty server hides a stored TABDEF server")
        << QByteArray("[RUV]\nServidor=\nServidorTabDef=10.0.0.9\n") << QStringList()
        << Expect{{"rLocal", yes}, {"PIP.visible", no}, {"edIPTABDEF", ""}, {"edIPNtier", ""}};
    QTest::newRow("addresses follow the server")
        << QByteArray("[RUV]\nServidor=10.1.1.1\n") << QStringList()
        << Expect{{"edIPTABDEF", "10.1.1.1"}, {"edIPNtier", "10.1.1.1"}, {"edIPNET", "10.1.1.1"}};
    QTest::newRow("windows in lower case is not Windows")
        << QByteArray("[RUV]\nSO_Servidor=windows\n") << QStringList()
        << Expect{{"rbLinuxBD", yes}, {"rbLinuxTABDEF", yes}};
    QTest::newRow("TABDEF system follows the database's")
        << QByteArray("[RUV]\nSO_Servidor=WINDOWS\n") << QStringList()
        << Expect{{"rbWinBD", yes}, {"rbWinTABDEF", yes}};
    QTest::newRow("present but empty port")
        << QByteArray("[RUV]\nPORTACON=\nPORTADS=\n") << QStringList()
        << Expect{{"edPorta", ""}, {"edNTier", ""}, {"edHTTP", "6061"}};
    QTest::newRow("integration off with an address stored")
        << QByteArray("[RUV]\nHAB_INTEGRA_CONTINTERNO=N\n"
                      "CAMINHO_INTEGRA_CONTINTERNO=http://localhost:8075/wsmerco/wsmerco.dll\n")
        << QStringList()
        << Expect{{"chkIntegra", no}, {"edtCaminhoInteg", ""}, {"edtCaminhoInteg.enabled", no}};
    QTest::newRow("empty multi-company copy present")
        << QByteArray("[RUV]\nCaminho_Cidades=F:\\RUV7\\CIDADES\\\n") << QStringList{"ruv.dat"}
        << Expect{{"chRenome", yes},
                  {"Label22.visible", yes},
                  {"edPastaCidades.visible", yes},
                  {"BitBtn7.visible", yes},
                  {"edPastaCidades", "F:\\RUV7\\CIDADES\\"}};
    QTest::newRow("support marker")
        << QByteArray() << QStringList{"suporteruv.txt"} << Expect{{"btnNovoModelo.visible", yes}};
    QTest::newRow("second marker alone")
        << QByteArray() << QStringList{"marlivioVRD.txt"} << Expect{{"btnNovoModelo.visible", yes}};
}

void TestMainScreen::loading() {
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, besides);
    QFETCH(Expect, expected);
    if (!ini.isEmpty())
        writeFile(QStringLiteral("ruv.ini"), ini);
    for (const QString& name : besides)
        writeFile(name);

    const TFParvel& screen = open();

    compareAll(screen, expected);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(screen.ui->LabelTitulo->text(),
             QStringLiteral("Configurações da Base de Dados do RUV - vrs.: 1.0.0.0"));
    QVERIFY(Carregado);
    QVERIFY(m_recorder->entries.isEmpty());
}

// The server field shows the server of the page's database; an unsaved edit is
// replaced by the stored value.
void TestMainScreen::pageChangeReloadsServerAddress() {
    writeFile(QStringLiteral("ruv.ini"), "[RUV]\nServidor=192.168.0.10\nIPNET=200.1.2.3\n"
                                         "[RUV_ANEXO]\nServidor=\n");
    TFParvel& screen = open();
    screen.ui->edIPBanco->setText(QStringLiteral("editado"));

    screen.ui->PGD->setCurrentWidget(screen.ui->tbAnexos);
    QCOMPARE(state(screen, "rLocal"), yes);
    QCOMPARE(state(screen, "PIP.visible"), no);
    for (const char* address : {"edIPBanco", "edIPTABDEF", "edIPNtier"})
        QCOMPARE(state(screen, address), QString());
    QCOMPARE(state(screen, "edIPNET"), QStringLiteral("200.1.2.3"));

    screen.ui->PGD->setCurrentWidget(screen.ui->tbDEF);
    QCOMPARE(state(screen, "rLocal"), yes);

    screen.ui->PGD->setCurrentWidget(screen.ui->tbDirBco);
    QCOMPARE(state(screen, "edIPBanco"), QStringLiteral("192.168.0.10"));
    QCOMPARE(state(screen, "rTCPIP"), yes);
    QCOMPARE(state(screen, "PIP.visible"), yes);
    QCOMPARE(state(screen, "edIPTABDEF"), QString());
}

void TestMainScreen::connectionTypeSwitching() {
    writeFile(QStringLiteral("ruv.ini"), "[RUV]\nServidor=192.168.0.10\n");
    TFParvel& screen = open();

    QTest::mouseClick(screen.ui->rLocal, Qt::LeftButton);
    QCOMPARE(state(screen, "PIP.visible"), no);
    for (const char* address : {"edIPBanco", "edIPTABDEF", "edIPNtier"})
        QCOMPARE(state(screen, address), QString());
    QCOMPARE(state(screen, "edIPNET"), QStringLiteral("192.168.0.10"));

    QTest::mouseClick(screen.ui->rTCPIP, Qt::LeftButton);
    QCOMPARE(state(screen, "PIP.visible"), yes);
    QCOMPARE(state(screen, "edIPBanco"), QString());
}

void TestMainScreen::enterAndArrowsMoveAlongFocusOrder_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("to");
    const QByteArray tcp = "[RUV]\nServidor=10.0.0.1\nSO_Servidor=LINUX\n";
    const QByteArray local = "[RUV]\nSO_Servidor=WINDOWS\n";
    const int none = Qt::NoModifier;
    QTest::newRow("Enter in the port reaches the tab strip")
        << tcp << QByteArray("edPorta") << int(Qt::Key_Return) << none << "PGD";
    QTest::newRow("Up from the library reaches the last address")
        << tcp << QByteArray("edDllCon") << int(Qt::Key_Up) << none << "edIPNtier";
    QTest::newRow("Up from the library reaches the selected radio")
        << local << QByteArray("edDllCon") << int(Qt::Key_Up) << none << "rLocal";
    QTest::newRow("Down from the option skips the radio not selected")
        << tcp << QByteArray("chRenome") << int(Qt::Key_Down) << none << "rTCPIP";
    QTest::newRow("Enter after the tabbed area reaches the system strip")
        << tcp << QByteArray("edPastaLocalBD") << int(Qt::Key_Enter) << none << "rbLinuxBD";
    QTest::newRow("Shift+Enter moves forward too")
        << local << QByteArray("rbWinBD") << int(Qt::Key_Return) << int(Qt::ShiftModifier)
        << "rbWinTABDEF";
    QTest::newRow("last system radio to the completion button")
        << local << QByteArray("rbWinTABDEF") << int(Qt::Key_Down) << none << "BitSalvar";
    QTest::newRow("other keys stay")
        << local << QByteArray("edDllCon") << int(Qt::Key_Left) << none << "edDllCon";
    QTest::newRow("the local-server box has no navigation")
        << local << QByteArray("chkLocal") << int(Qt::Key_Return) << none << "chkLocal";
}

void TestMainScreen::enterAndArrowsMoveAlongFocusOrder() {
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    writeFile(QStringLiteral("ruv.ini"), ini);
    TFParvel& screen = open();
    if (from == "chkLocal")
        screen.ui->PGD->setCurrentWidget(screen.ui->tbMobi);
    focusOn(from.constData());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QTEST(focusName(), "to");
    QVERIFY(!m_recorder->texts("terminate").size());
}

// Tab walks the groups in their working order, the system strip after the tabbed
// area, and visits each radio pair through its selected radio.
void TestMainScreen::tabVisitsGroupsInOrder() {
    writeFile(QStringLiteral("ruv.ini"), "[RUV]\nServidor=10.0.0.1\nSO_Servidor=LINUX\n"
                                         "SO_ServidorTabDef=WINDOWS\n");
    writeFile(QStringLiteral("ruv.dat"));
    writeFile(QStringLiteral("suporteruv.txt"));
    open();
    focusOn("chRenome");
    QStringList visited{focusName()};
    for (int step = 0; step < 16; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(focusName());
    }
    QCOMPARE(visited, QStringList({"chRenome", "rTCPIP", "edIPBanco", "edIPTABDEF", "edIPNtier",
                                   "edDllCon", "edPorta", "PGD", "edPastaLocalBD", "edPastaCidades",
                                   "rbLinuxBD", "rbWinTABDEF", "BitSalvar", "BitSair", "BitPadrao",
                                   "btnNovoModelo", "chRenome"}));
}

// The log is in the focus order while its page shows: Tab must not seem to vanish.
void TestMainScreen::messageLogShowsTheFocus() {
    open();
    Ui::TFParvel& ui = *m_screen->ui;
    ui.pg->setCurrentWidget(ui.tbConexao);
    const auto edge = [&ui] {
        const QImage image = ui.Memo5->grab().toImage();
        return image.pixelColor(0, image.height() / 2);
    };
    focusOn("BitPadrao");
    const QColor without = edge();
    focusOn("Memo5");
    const QColor with = edge();
    QVERIFY2(with != without, qPrintable(with.name()));
    // Seen against the black log, in the log's own green.
    QVERIFY2(with.green() >= 100 && with.red() < 60 && with.blue() < 60, qPrintable(with.name()));
}

void TestMainScreen::noticesOnEnter_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("notice");
    QTest::newRow("library") << QByteArray("edDllCon") << "tbDLLCon";
    QTest::newRow("local database folder") << QByteArray("edPastaLocalBD") << "tbPastaLocal";
    QTest::newRow("local TABDEF folder") << QByteArray("edPastaLocalTABDEF") << "tbPastaLocal";
    QTest::newRow("shared folder") << QByteArray("edPastaRede") << "tbPastaRede";
    QTest::newRow("cities folder") << QByteArray("edPastaCidades") << "tbMultiEmpresa";
    QTest::newRow("port leaves the notice") << QByteArray("edPorta") << "tb00";
}

void TestMainScreen::noticesOnEnter() {
    QFETCH(QByteArray, field);
    writeFile(QStringLiteral("ruv.dat"));
    TFParvel& screen = open();
    if (field == "edPastaLocalTABDEF" || field == "edPastaRede")
        screen.ui->PGD->setCurrentWidget(screen.ui->tbDEF);
    focusOn(field.constData());
    QTEST(state(screen, "pg"), "notice");
}

void TestMainScreen::operatingSystemGuessOnExit_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("selected");
    QTest::newRow("Linux folder") << QByteArray("edPastaLocalBD") << "/home/samba/Quorvane/RUV7/"
                                  << QByteArray("rbLinuxBD");
    QTest::newRow("Windows folder")
        << QByteArray("edPastaLocalBD") << "C:\\Quorvane\\RUV7\\" << QByteArray("rbWinBD");
    QTest::newRow("blank changes nothing")
        << QByteArray("edPastaLocalBD") << "   " << QByteArray("rbLinuxBD");
    QTest::newRow("TABDEF Windows folder")
        << QByteArray("edPastaLocalTABDEF") << "D:\\TABDEF\\" << QByteArray("rbWinTABDEF");
    QTest::newRow("TABDEF empty changes nothing")
        << QByteArray("edPastaLocalTABDEF") << "" << QByteArray("rbLinuxTABDEF");
}

// The guess is made as the field is left, not as it is typed.
void TestMainScreen::operatingSystemGuessOnExit() {
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QFETCH(QByteArray, selected);
    writeFile(QStringLiteral("ruv.ini"), "[RUV]\nSO_Servidor=OUTRO\n"); // both LINUX
    TFParvel& screen = open();
    if (field == "edPastaLocalTABDEF")
        screen.ui->PGD->setCurrentWidget(screen.ui->tbDEF);
    focusOn(field.constData());
    QTest::keyClicks(QApplication::focusWidget(), text);
    if (text.startsWith(u'C'))
        QCOMPARE(state(screen, "rbLinuxBD"), yes);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

    QCOMPARE(state(screen, QString::fromLatin1(selected)), yes);
}

void TestMainScreen::localFolderCopiedToEmptyCitiesFolder() {
    writeFile(QStringLiteral("ruv.dat"));
    TFParvel& screen = open();
    focusOn("edPastaLocalBD");
    QTest::keyClicks(screen.ui->edPastaLocalBD, QStringLiteral("C:\\RUV7\\ "));
    focusOn("edPorta");
    QCOMPARE(state(screen, "edPastaCidades"), QStringLiteral("C:\\RUV7\\ "));

    screen.ui->edPastaLocalBD->setText(QStringLiteral("D:\\OUTRA\\"));
    focusOn("edPastaLocalBD");
    focusOn("edPorta");
    QCOMPARE(state(screen, "edPastaCidades"), QStringLiteral("C:\\RUV7\\ "));
}

// A box or another window taking the focus away and giving it back is no visit
// of the field: its handlers do not run.
void TestMainScreen::switchingWindowsRunsNoFieldHandler() {
    TFParvel& screen = open();
    focusOn("edPastaLocalBD");
    screen.ui->edPastaLocalBD->setText(QStringLiteral("/home/ruv/"));
    screen.ui->pg->setCurrentWidget(screen.ui->tb00);

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(state(screen, "rbLinuxBD"), yes);
    screen.ui->edPastaLocalBD->setText(QStringLiteral("C:\\RUV\\"));
    QApplication::setActiveWindow(&screen);
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    QCOMPARE(focusName(), QStringLiteral("edPastaLocalBD"));
    QCOMPARE(state(screen, "pg"), QStringLiteral("tb00"));

    focusOn("edPorta");
    QCOMPARE(state(screen, "rbWinBD"), yes);
}

void TestMainScreen::folderPickers_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("root");
    QTest::addColumn<QString>("focus");
    const auto computer = int(DialogService::FolderRoot::Computer);
    const auto network = int(DialogService::FolderRoot::Network);
    const std::optional<QString> cancel;
    // The picker answers in the platform's notation; the field gets the platform's
    // separator, the one the saves' folder checks accept.
    const auto native = [](const char* path) { return QDir::toNativeSeparators(path); };
    const QString sep = platform::pathSeparator();
    QTest::newRow("database folder")
        << QByteArray("BitBtn1") << true << std::optional<QString>(native("/srv/RUV7"))
        << QByteArray("edPastaLocalBD") << native("/srv/RUV7") + sep << computer << "BitBtn1";
    QTest::newRow("drive root gets no second separator")
        << QByteArray("BitBtn1") << false
        << std::optional<QString>(QDir::toNativeSeparators(QDir::rootPath()))
        << QByteArray("edPastaLocalBD") << QDir::toNativeSeparators(QDir::rootPath()) << computer
        << "BitBtn1";
    QTest::newRow("TABDEF folder cancelled")
        << QByteArray("BitBtn6") << true << cancel << QByteArray("edPastaLocalTABDEF") << "antes"
        << computer << "BitBtn6";
    QTest::newRow("shared folder over the network")
        << QByteArray("BitBtn3") << true << std::optional<QString>(native("//SRV/RUV7"))
        << QByteArray("edPastaRede") << native("//SRV/RUV7") + sep << network << "edPastaRede";
    QTest::newRow("shared folder cancelled still takes focus")
        << QByteArray("BitBtn3") << false << cancel << QByteArray("edPastaRede") << "antes"
        << computer << "edPastaRede";
    // The database server is a Linux one: the picked folder is written in its
    // spelling, whatever the platform's own.
    QTest::newRow("cities folder on this machine")
        << QByteArray("BitBtn7") << false << std::optional<QString>(native("/srv/CIDADES"))
        << QByteArray("edPastaCidades") << "/srv/CIDADES/" << computer << "edPastaCidades";
}

void TestMainScreen::folderPickers() {
    QFETCH(QByteArray, button);
    QFETCH(bool, tcp);
    QFETCH(std::optional<QString>, answer);
    QFETCH(QByteArray, field);
    writeFile(QStringLiteral("ruv.ini"), tcp ? "[RUV]\nServidor=10.0.0.1\n" : "");
    writeFile(QStringLiteral("ruv.dat"));
    TFParvel& screen = open();
    screen.ui->PGD->setCurrentWidget(
        button == "BitBtn6" || button == "BitBtn3" ? screen.ui->tbDEF : screen.ui->tbDirBco);
    qobject_cast<QLineEdit*>(widget(field.constData()))->setText(QStringLiteral("antes"));
    m_recorder->pickerAnswers = {answer};

    QTest::mouseClick(qobject_cast<QAbstractButton*>(widget(button.constData())), Qt::LeftButton);

    QCOMPARE(m_recorder->entries.size(), 1);
    const auto& picker = m_recorder->entries.first();
    QCOMPARE(picker.kind, QStringLiteral("folderPicker"));
    QTEST(int(picker.root), "root");
    if (int(picker.root) == int(DialogService::FolderRoot::Computer))
        QCOMPARE(picker.text, ExecutableFolder::path());
    QTEST(state(screen, QString::fromLatin1(field)), "expected");
    QTEST(focusName(), "focus");
    if (button == "BitBtn3")
        QCOMPARE(state(screen, "pg"), QStringLiteral("tbPastaRede"));
    if (button == "BitBtn7")
        QCOMPARE(state(screen, "pg"), QStringLiteral("tbMultiEmpresa"));
}

void TestMainScreen::networkPickerStartsWhereItWasLeft() {
    writeFile(QStringLiteral("ruv.ini"), "[RUV]\nServidor=10.0.0.1\n");
    TFParvel& screen = open();
    m_recorder->pickerAnswers = {QStringLiteral("Z:\\RUV7"), std::nullopt, std::nullopt};
    QTest::mouseClick(screen.ui->BitBtn1, Qt::LeftButton);
    screen.ui->PGD->setCurrentWidget(screen.ui->tbDEF);
    QTest::mouseClick(screen.ui->BitBtn3, Qt::LeftButton);
    QTest::mouseClick(screen.ui->BitBtn3, Qt::LeftButton);

    const QStringList starts = m_recorder->texts("folderPicker");
    QCOMPARE(starts, QStringList({ExecutableFolder::path(), "Z:\\RUV7", "Z:\\RUV7"}));
}

void TestMainScreen::connectionLibraryPicker_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("before");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("pickerStart"); // empty: no picker
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("keepService");
    const QString firebird = QStringLiteral("C:\\Arquivos de programas\\Firebird\\");
    QTest::newRow("remote server uses the program folder")
        << QByteArray("[RUV]\nServidor=10.0.0.1\n") << "C:\\X\\" << std::optional<QString>()
        << QString() << QString("<exe>") << false;
    QTest::newRow("local, empty, cancelled")
        << QByteArray() << "" << std::optional<QString>() << firebird << "" << true;
    QTest::newRow("local, blank, cancelled")
        << QByteArray() << "   " << std::optional<QString>() << firebird << "   " << true;
    QTest::newRow("local, chosen")
        << QByteArray() << "D:\\FB\\" << std::optional<QString>(QDir::toNativeSeparators("/fb/bin"))
        << "D:\\FB\\" << QDir::toNativeSeparators("/fb/bin") + platform::pathSeparator() << false;
}

void TestMainScreen::connectionLibraryPicker() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, before);
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, pickerStart);
    QFETCH(QString, after);
    writeFile(QStringLiteral("ruv.ini"), ini);
    TFParvel& screen = open();
    screen.ui->edDllCon->setText(before);
    MantemServico = true;
    m_recorder->pickerAnswers = {answer};

    QTest::mouseClick(screen.ui->BitBtn2, Qt::LeftButton);

    if (pickerStart.isEmpty()) {
        QVERIFY(m_recorder->entries.isEmpty());
    } else {
        QCOMPARE(m_recorder->texts("folderPicker"), QStringList{pickerStart});
        QCOMPARE(m_recorder->entries.first().root, DialogService::FolderRoot::Computer);
    }
    QCOMPARE(screen.ui->edDllCon->text(),
             after == QLatin1String("<exe>") ? ExecutableFolder::path() : after);
    QTEST(MantemServico, "keepService");
}

void TestMainScreen::defaultsButton() {
    writeFile(QStringLiteral("ruv.ini"), fullIni);
    writeFile(QStringLiteral("ruv.dat"));
    TFParvel& screen = open();
    screen.ui->PGD->setCurrentWidget(screen.ui->tbAnexos);
    screen.ui->chPux->setChecked(true);
    MantemServico = true;

    QTest::mouseClick(screen.ui->BitPadrao, Qt::LeftButton);

    const QString ruv7 = QStringLiteral("C:\\Quorvane\\RUV7\\");
    const Expect expected{
        {"pg", "tbMultiEmpresa"},
        {"PGD", "tbDirBco"},
        {"chPux", no},
        {"chRenome", no},
        {"rLocal", yes},
        {"PIP.visible", no},
        {"edIPBanco", ""},
        {"edIPTABDEF", ""},
        {"edIPNtier", ""},
        {"edIPNET", ""},
        {"rbWinBD", yes},
        {"rbWinTABDEF", yes},
        {"edDllCon", "C:\\Arquivos de programas\\Firebird\\Firebird_Quorvane\\bin\\"},
        {"edPorta", "3055"},
        {"edNTier", "3063"},
        {"edHTTP", "6061"},
        {"edPastaLocalBD", ruv7},
        {"edPastaLocalTABDEF", ruv7},
        {"edPastaRede", ruv7},
        {"edtCaminhoANX", ruv7},
        {"edPastaCidades", ""},
        {"edPastaCidades.visible", no},
        {"chkLocal", no},
        {"chkIntegra", yes},
        {"edtCaminhoInteg", "http://localhost:8075/wsmerco/wsmerco.dll"}};
    compareAll(screen, expected);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(focusName(), QStringLiteral("BitSalvar"));
    QVERIFY(MantemServico);
    QVERIFY(m_recorder->entries.isEmpty());
    QVERIFY(QFile(m_dir->filePath("ruv.ini")).size() == qint64(qstrlen(fullIni)));
}

void TestMainScreen::defaultsKeepFocusWhileCompletionDisabled() {
    TFParvel& screen = open();
    screen.ui->BitSalvar->setEnabled(false);
    focusOn("edPorta");
    screen.ui->BitPadrao->click();
    QCOMPARE(focusName(), QStringLiteral("edPorta"));
}

void TestMainScreen::multiCompanyAndIntegrationToggles() {
    writeFile(QStringLiteral("ruv.ini"), "[RUV]\nCaminho_Cidades=F:\\CIDADES\\\n");
    TFParvel& screen = open();

    QTest::mouseClick(screen.ui->chRenome, Qt::LeftButton);
    QCOMPARE(state(screen, "pg"), QStringLiteral("tbMultiEmpresa"));
    QCOMPARE(state(screen, "edPastaCidades.visible"), yes);
    screen.ui->pg->setCurrentWidget(screen.ui->tb00);
    QTest::mouseClick(screen.ui->chRenome, Qt::LeftButton);
    QCOMPARE(state(screen, "pg"), QStringLiteral("tbMultiEmpresa"));
    QCOMPARE(state(screen, "edPastaCidades.visible"), no);
    QCOMPARE(state(screen, "edPastaCidades"), QStringLiteral("F:\\CIDADES\\"));

    screen.ui->PGD->setCurrentWidget(screen.ui->tbIntregaContInt);
    screen.ui->chkIntegra->click();
    QCOMPARE(state(screen, "edtCaminhoInteg.enabled"), yes);
    screen.ui->edtCaminhoInteg->setText(QStringLiteral("http://127.0.0.1:8075"));
    screen.ui->chkIntegra->click();
    QCOMPARE(state(screen, "edtCaminhoInteg"), QString());
    QCOMPARE(state(screen, "edtCaminhoInteg.enabled"), no);
    screen.ui->chkIntegra->click();
    QCOMPARE(state(screen, "edtCaminhoInteg"), QString());
    QCOMPARE(state(screen, "edtCaminhoInteg.enabled"), yes);
}

void TestMainScreen::escapeAndExitButtonEndTheProgram_data() {
    QTest::addColumn<QByteArray>("where");
    QTest::newRow("Esc in a field") << QByteArray("edPorta");
    QTest::newRow("Esc on a button") << QByteArray("BitSalvar");
    QTest::newRow("Esc on the tab strip") << QByteArray("PGD");
    QTest::newRow("exit button") << QByteArray("BitSair");
}

// Leaving saves nothing: the file stays as it was, even after edits.
void TestMainScreen::escapeAndExitButtonEndTheProgram() {
    QFETCH(QByteArray, where);
    writeFile(QStringLiteral("ruv.ini"), fullIni);
    TFParvel& screen = open();
    screen.ui->edPorta->setText(QStringLiteral("9999"));

    if (where == "BitSair") {
        QTest::mouseClick(screen.ui->BitSair, Qt::LeftButton);
    } else {
        focusOn(where.constData());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }

    QCOMPARE(m_recorder->texts("terminate").size(), 1);
    QFile ini(m_dir->filePath("ruv.ini"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), QByteArray(fullIni));
}

QTEST_MAIN(TestMainScreen)
#include "tst_mainscreen.moc"
