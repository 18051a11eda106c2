// The checks that end a save before the connection tester runs, the attachments
// file picker and the service restart as the saves drive it. No server: the
// tester is never shown, a save that gets that far counts as having passed its
// checks.
#include "FakeServiceTool.h"
#include "FileBytes.h"
#include "RecordingDialogService.h"
#include "ServerInstallation.h"
#include "Tmpfs.h"
#include "WhenModalShows.h"
#include "config/ExecutableFolder.h"
#include "screens/main/ServiceRestart.h"
#include "screens/main/UParvel.h"
#include "ui/QtDialogService.h"
#include "ui_UParvel.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <memory>
#include <optional>
#include <tuple>

namespace {

const QString pingFailed =
    QStringLiteral("Impossível Continuar, o teste de Conexão com o Servidor Falhou.\rAcione seu "
                   "Suporte de Rede para verificar o problema e tente novamente.");
const QString dllMissing = QStringLiteral("O Arquivo fbclient.dll não foi localizado em %1\r"
                                          "Atualize o BPL ou entre em contato com seu "
                                          "Representante.");
const QString dllBlank = QStringLiteral("Caminho da DLL de Conexão Precisa ser Informada.");

// What reaching the tester looks like in the tables' "box" column.
const QString tester = QStringLiteral("tester");

bool touch(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

// A library with the client's entry points, each doing nothing: it passes the
// proof that comes before the Local restart. Beside the test programs on
// Windows, in its build folder elsewhere.
QString standInLibrary() {
#ifdef Q_OS_WIN
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" STAND_IN_NAME);
#else
    return QStringLiteral(STAND_IN_LIBRARY);
#endif
}

// Boxes and windows recorded; the folder picker the real one, for the keys.
class RealFolderPicker : public RecordingDialogService {
public:
    std::optional<QString> pickFolder(FolderRoot root, const QString& initialSelection) override {
        return QtDialogService().pickFolder(root, initialSelection);
    }
};

// The operator's keys in the picker: open the folder it starts at, type the name
// of one of its folders, confirm.
void pickWithKeys(const QString& name) {
    whenModalShows([name](QWidget* modal) {
        const auto closeOnFailure = qScopeGuard([modal] {
            if (modal->isVisible())
                qobject_cast<QDialog*>(modal)->reject();
        });
        auto* tree = modal->findChild<QTreeView*>();
        QVERIFY(tree->selectionModel()->hasSelection());
        QTest::keyClick(tree, Qt::Key_Right);
        QTRY_VERIFY(tree->model()->rowCount(tree->currentIndex()) >= 7);
        QTest::keyClicks(tree, name);
        QCOMPARE(tree->currentIndex().data().toString(), name);
        QTest::keyClick(tree, Qt::Key_Return);
    });
}

} // namespace

class TestSaveChecks : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void mainSaveStopsAtTheFirstFailure_data();
    void mainSaveStopsAtTheFirstFailure();
    void attachmentsSaveStopsAtTheFirstFailure_data();
    void attachmentsSaveStopsAtTheFirstFailure();
    void pingStatusGatesBothSaves_data();
    void pingStatusGatesBothSaves();
    void foldersPickedWithTheKeysPassTheChecks_data();
    void foldersPickedWithTheKeysPassTheChecks();
    void portThatIsNoPortTouchesNothing_data();
    void portThatIsNoPortTouchesNothing();
    void serviceRestartOfBothSaves_data();
    void serviceRestartOfBothSaves();
    void undeletableCopyEndsTheMainSave_data();
    void undeletableCopyEndsTheMainSave();
    void withoutRightsALocalSaveTouchesNothing_data();
    void withoutRightsALocalSaveTouchesNothing();
    void localRestartLeavesTheServerRunning_data();
    void localRestartLeavesTheServerRunning();
    void attachmentsFilePicker_data();
    void attachmentsFilePicker();

private:
    // Opens the screen on the page whose save is under test and fills it with
    // settings that pass every check: a TCP/IP server on loopback, folders that
    // exist, a connection-library folder that is a small Firebird installation.
    void openFilled(bool attachments);
    // "name=value" in order: a text for fields and labels, "sim" clicks a button
    // that is not yet checked; "<dir>" stands for the test's folder.
    void apply(const QStringList& edits);
    void save(bool attachments);
    // Columns of the first-failure tables: "edits" on settings that pass, then the
    // "box" kind (or "tester"), its "text", the "focus" and the tabbed area's "page".
    static void addFailureColumns();
    void stopsAtTheFirstFailure(bool attachments);
    // The box a save ended with, or "tester" when it got as far as the tester.
    QString outcome() const;
    QString dir() const { return m_dir->path(); }
    QString withDir(QString text) const { return text.replace("<dir>", dir()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeServiceTool> m_tool;
    RealFolderPicker m_recorder;
    std::unique_ptr<TFParvel> m_screen;
};

void TestSaveChecks::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    ExecutableFolder::setForTesting(dir() + u'/');
    for (const char* folder : {"bd", "tabdef", "rede", "dll", "anexos", "vazio", "CIDADES"})
        QVERIFY(QDir(dir()).mkdir(folder));
    // Its server runs, as a machine's does: a Local save stops and starts it.
    m_tool = std::make_unique<FakeServiceTool>(dir() + "/dll", QByteArray(), true);
    QVERIFY(m_tool->valid());
    QVERIFY(QFile::copy(standInLibrary(), dir() + "/dll/fbclient.dll"));
    QVERIFY(touch(dir() + "/anexos/RUVARQUIVOS.FDB"));
    m_recorder.clear();
    m_recorder.pickerAnswers.clear();
    m_recorder.onRecord = nullptr;
    // The tester's refusal: the save logs it and writes nothing.
    m_recorder.onModal = [](QDialog&) { return 2; };
    setDialogs(&m_recorder);
    MantemServico = false;
}

void TestSaveChecks::cleanup() {
    m_screen.reset();
    // While its folder is there: it ends the server and the commands it left running.
    m_tool.reset();
    ServiceRestart::setLimitForTesting(std::nullopt);
    setDialogs(nullptr);
    ExecutableFolder::clearForTesting();
    MantemServico = false;
}

void TestSaveChecks::openFilled(bool attachments) {
    m_screen = std::make_unique<TFParvel>();
    m_screen->show();
    QApplication::setActiveWindow(m_screen.get());
    QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    Ui::TFParvel& ui = *m_screen->ui;
    // Each save first switches to its own page; starting there keeps the page
    // change from reloading the server address out of the (absent) file.
    ui.PGD->setCurrentWidget(attachments ? ui.tbAnexos : ui.tbDirBco);
    ui.rTCPIP->setChecked(true);
    ui.rbWinBD->setChecked(true);
    ui.rbWinTABDEF->setChecked(true);
    // The internet address stays empty: leaving it would ping it.
    apply({"edIPBanco=127.0.0.1", "edIPTABDEF=127.0.0.1", "edIPNET=", "edPastaLocalBD=<dir>/bd/",
           "edPastaLocalTABDEF=<dir>/tabdef/", "edPastaRede=<dir>/rede/", "edDllCon=<dir>/dll/",
           "edPorta=3999", "edtCaminhoANX=<dir>/anexos/", "LSTS3="});
}

void TestSaveChecks::apply(const QStringList& edits) {
    for (const QString& edit : edits) {
        const qsizetype equals = edit.indexOf(u'=');
        const QString name = edit.left(equals);
        const QString value = withDir(edit.mid(equals + 1));
        QWidget* widget = m_screen->findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable("no widget " + name));
        if (auto* field = qobject_cast<QLineEdit*>(widget))
            field->setText(value);
        else if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(value);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget);
                 button && !button->isChecked() && value == QLatin1String("sim"))
            button->click();
    }
}

void TestSaveChecks::save(bool attachments) {
    QTest::mouseClick(attachments ? m_screen->ui->btnSalvarANX : m_screen->ui->BitSalvar,
                      Qt::LeftButton);
}

QString TestSaveChecks::outcome() const {
    QStringList seen;
    for (const RecordingDialogService::Entry& entry : m_recorder.entries)
        seen.append(entry.kind == QLatin1String("modal") && entry.text == QLatin1String("TFConecta")
                        ? tester
                        : entry.kind);
    return seen.join(u',');
}

void TestSaveChecks::addFailureColumns() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("page");
}

void TestSaveChecks::mainSaveStopsAtTheFirstFailure_data() {
    addFailureColumns();
    const QString info = QStringLiteral("information");
    const QString warning = QStringLiteral("warning");
    // Rows that fail also break the checks after theirs: only the first may speak.
    QTest::newRow("local database folder missing")
        << QStringList{"rLocal=sim", "edPastaLocalBD=<dir>/nada/", "edPastaLocalTABDEF=<dir>/nada/",
                       "edDllCon="}
        << info << "Diretório Local do Banco de Dados Inválido."
        << "edPastaLocalBD"
        << "tbDirBco";
    QTest::newRow("database folder not looked at with a server address")
        << QStringList{"edPastaLocalBD=<dir>/nada/"} << tester << ""
        << "BitSalvar"
        << "tbDirBco";
    QTest::newRow("local TABDEF folder missing")
        << QStringList{"rLocal=sim", "edPastaLocalTABDEF=<dir>/nada/", "edPastaRede=<dir>/nada/"}
        << info << "Diretório Local do TABDEF Inválido."
        << "edPastaLocalTABDEF"
        << "tbDEF";
    QTest::newRow("TABDEF folder follows the database server's system")
        << QStringList{"rLocal=sim", "rbLinuxBD=sim", "rbWinTABDEF=sim",
                       "edPastaLocalTABDEF=<dir>/nada/"}
        << tester << ""
        << "BitSalvar"
        << "tbDirBco";
    QTest::newRow("shared folder missing")
        << QStringList{"edPastaRede=<dir>/nada/", "edDllCon=  "} << info
        << "Diretório Compartilhado no Servidor Inválido."
        << "edPastaRede"
        << "tbDEF";
    QTest::newRow("blank shared folder is not looked at")
        << QStringList{"edPastaRede=  "} << warning
        << "Informe a Pasta na Rede que está Compartilhada com os Arquivos EXE!"
        << "edPastaRede"
        << "tbDEF";
    QTest::newRow("connection library blank, focus stays")
        << QStringList{"edDllCon=  ", "chkIntegra=sim"} << info << dllBlank << "BitSalvar"
        << "tbDirBco";
    QTest::newRow("client library missing, trimmed folder in the text")
        << QStringList{"edDllCon= <dir>/vazio/ ", "chkIntegra=sim"} << info
        << dllMissing.arg("<dir>/vazio/") << "edDllCon"
        << "tbDirBco";
    QTest::newRow("client library found through a padded folder")
        << QStringList{"edDllCon= <dir>/dll/ "} << tester << ""
        << "BitSalvar"
        << "tbDirBco";
    QTest::newRow("integration without its address")
        << QStringList{"chkIntegra=sim", "edtCaminhoInteg=  "} << info
        << "A integração com o sistema de controle interno está habilitado mais o caminho não foi "
           "definido.\rÉ obrigatório informar um caminho."
        << "BitSalvar"
        << "tbDirBco";
    QTest::newRow("integration with its address")
        << QStringList{"chkIntegra=sim", "edtCaminhoInteg=http://127.0.0.1:8075"} << tester << ""
        << "BitSalvar"
        << "tbDirBco";
    QTest::newRow("multi-company, cities folder blank")
        << QStringList{"chRenome=sim", "edPastaCidades=  "} << warning
        << "A Opção (Multi-Empresa) encontra-se marcada, porém o caminho da pasta CIDADES está "
           "em branco.\rFavor informar o caminho!"
        << "edPastaCidades"
        << "tbDirBco";
    QTest::newRow("multi-company, cities folder missing")
        << QStringList{"chRenome=sim", "rbLinuxBD=sim", "edPastaCidades=<dir>/nada/CIDADES"}
        << warning
        << "O diretório informado no caminho da pasta CIDADES é inválido.\rFavor informar o "
           "caminho correto!"
        << "edPastaCidades"
        << "tbDirBco";
    QTest::newRow("multi-company, folder is not CIDADES")
        << QStringList{"chRenome=sim", "rbLinuxBD=sim", "edPastaCidades=<dir>/rede/"} << warning
        << "Para a opção Multi-Empresa o diretório informado precisa ser a pasta "
           "CIDADES.\rFavor informar o caminho correto!"
        << "edPastaCidades"
        << "tbDirBco";
    QTest::newRow("multi-company, CIDADES without its separator")
        << QStringList{"chRenome=sim", "rbLinuxBD=sim", "edPastaCidades=<dir>/CIDADES"} << tester
        << ""
        << "BitSalvar"
        << "tbDirBco";
}

void TestSaveChecks::mainSaveStopsAtTheFirstFailure() {
    stopsAtTheFirstFailure(false);
}

void TestSaveChecks::attachmentsSaveStopsAtTheFirstFailure_data() {
    addFailureColumns();
    const QString info = QStringLiteral("information");
    const QString warning = QStringLiteral("warning");
    const QString dialog = QStringLiteral("warningDialog");
    const QString noDatabase =
        QStringLiteral("Atenção !!!\rA Pasta informada não contem um banco de dados de Anexos.");
    // Rows that fail also break the checks after theirs: only the first may speak.
    QTest::newRow("server address blank")
        << QStringList{"edIPBanco=  ", "LSTS3=FALHOU", "edtCaminhoANX="} << warning
        << "Ip ou Host do Servidor precisa ser informado!"
        << "edIPBanco"
        << "tbAnexos";
    QTest::newRow("ping failed") << QStringList{"LSTS3=FALHOU", "edtCaminhoANX=", "edDllCon="}
                                 << warning << pingFailed << "edIPNET"
                                 << "tbMobi";
    QTest::newRow("attachments folder blank")
        << QStringList{"edtCaminhoANX=  ", "edDllCon="} << warning
        << "Informe a Pasta Local do Banco de Dados de Anexos!"
        << "edtCaminhoANX"
        << "tbAnexos";
    QTest::newRow("local attachments folder missing")
        << QStringList{"rLocal=sim", "edtCaminhoANX=<dir>/nada/", "edDllCon="} << info
        << "Diretório Local do Banco de Dados de Anexos Inválido."
        << "edtCaminhoANX"
        << "tbAnexos";
    QTest::newRow("Linux server: missing folder meets the database test")
        << QStringList{"rLocal=sim", "rbLinuxBD=sim", "edtCaminhoANX=<dir>/nada/"} << dialog
        << noDatabase << "btnSalvarANX"
        << "tbAnexos";
    QTest::newRow("local folder without the database, focus stays")
        << QStringList{"rLocal=sim", "edtCaminhoANX=<dir>/vazio/", "edDllCon="} << dialog
        << noDatabase << "btnSalvarANX"
        << "tbAnexos";
    QTest::newRow("local folder typed without its separator")
        << QStringList{"rLocal=sim", "edtCaminhoANX=<dir>/anexos"} << dialog << noDatabase
        << "btnSalvarANX"
        << "tbAnexos";
    QTest::newRow("folder on the server is not looked at")
        << QStringList{"edtCaminhoANX=<dir>/vazio/"} << tester << ""
        << "edtCaminhoANX"
        << "tbAnexos";
    QTest::newRow("connection library blank, focus stays")
        << QStringList{"edDllCon=  "} << info << dllBlank << "btnSalvarANX"
        << "tbAnexos";
    QTest::newRow("client library missing") << QStringList{"edDllCon= <dir>/vazio/ "} << info
                                            << dllMissing.arg("<dir>/vazio/") << "edDllCon"
                                            << "tbDirBco";
    QTest::newRow("local database found") << QStringList{"rLocal=sim"} << tester << ""
                                          << "edtCaminhoANX"
                                          << "tbAnexos";
}

void TestSaveChecks::attachmentsSaveStopsAtTheFirstFailure() {
    stopsAtTheFirstFailure(true);
}

// The row's edits on settings that pass; the save ends with the row's box, focus
// and page (or reaches the tester), and writes nothing.
void TestSaveChecks::stopsAtTheFirstFailure(bool attachments) {
    QFETCH(QStringList, edits);
    QFETCH(QString, box);
    QFETCH(QString, text);
    openFilled(attachments);
    apply(edits);
    QAbstractButton* button = attachments ? m_screen->ui->btnSalvarANX : m_screen->ui->BitSalvar;
    button->setFocus(Qt::OtherFocusReason);

    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(outcome(), box);
    if (box != tester)
        QCOMPARE(m_recorder.entries.first().text, withDir(text));
    QTEST(QApplication::focusWidget()->objectName(), "focus");
    QTEST(m_screen->ui->PGD->currentWidget()->objectName(), "page");
    // The cities checks leave the shared-folder notice showing.
    if (QApplication::focusWidget() == m_screen->ui->edPastaCidades)
        QCOMPARE(m_screen->ui->pg->currentWidget(), m_screen->ui->tbPastaRede);
    QVERIFY(!QFile::exists(dir() + "/ruv.ini"));
}

void TestSaveChecks::pingStatusGatesBothSaves_data() {
    QTest::addColumn<bool>("attachments");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("blocked");
    for (const bool attachments : {false, true}) {
        const char* save = attachments ? "attachments" : "main";
        QTest::addRow("%s, FALHOU", save) << attachments << "FALHOU" << true;
        QTest::addRow("%s, falhou", save) << attachments << "falhou" << true;
        QTest::addRow("%s, Falhou", save) << attachments << "Falhou" << true;
        QTest::addRow("%s, OK", save) << attachments << "OK" << false;
        QTest::addRow("%s, empty", save) << attachments << "" << false;
    }
}

void TestSaveChecks::pingStatusGatesBothSaves() {
    QFETCH(bool, attachments);
    QFETCH(QString, status);
    QFETCH(bool, blocked);
    openFilled(attachments);
    m_screen->ui->LSTS3->setText(status);

    save(attachments);

    QCOMPARE(outcome(), blocked ? QStringLiteral("warning") : tester);
    if (blocked) {
        QCOMPARE(m_recorder.texts("warning"), QStringList{pingFailed});
        QCOMPARE(QApplication::focusWidget(), m_screen->ui->edIPNET);
    }
}

void TestSaveChecks::foldersPickedWithTheKeysPassTheChecks_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<bool>("nativeSpelling");
    // On this machine, so that the saves look at the folders; each field starts
    // at the test's folder, which the checks refuse or which lacks what they need.
    const QStringList local{"rLocal=sim", "edIPBanco=", "edIPTABDEF="};
    QTest::newRow("database folder")
        << QByteArray("BitBtn1") << QByteArray("edPastaLocalBD") << "bd"
        << local + QStringList{"edPastaLocalBD=<dir>/nada/"} << true;
    QTest::newRow("TABDEF folder")
        << QByteArray("BitBtn6") << QByteArray("edPastaLocalTABDEF") << "tabdef"
        << local + QStringList{"edPastaLocalTABDEF=<dir>/nada/"} << true;
    QTest::newRow("shared folder") << QByteArray("BitBtn3") << QByteArray("edPastaRede") << "rede"
                                   << local + QStringList{"edPastaRede=<dir>/nada/"} << true;
    QTest::newRow("cities folder, Linux server")
        << QByteArray("BitBtn7") << QByteArray("edPastaCidades") << "CIDADES"
        << local + QStringList{"rbLinuxBD=sim", "chRenome=sim", "edPastaCidades=<dir>/"} << false;
    QTest::newRow("connection library") << QByteArray("BitBtn2") << QByteArray("edDllCon") << "dll"
                                        << local + QStringList{"edDllCon=<dir>/"} << true;
}

// Each folder picker, driven with the keys, answers a folder that the main save
// then accepts as far as the connection test.
void TestSaveChecks::foldersPickedWithTheKeysPassTheChecks() {
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, field);
    QFETCH(QString, folder);
    QFETCH(QStringList, edits);
    QFETCH(bool, nativeSpelling);
    openFilled(false);
    apply(edits);
    pickWithKeys(folder);

    m_screen->findChild<QAbstractButton*>(button)->click();

    // The picker gives the folder in the platform's own spelling; the cities
    // folder of a Linux server comes with "/" on every desktop.
    const QString picked = dir() + '/' + folder + '/';
    QCOMPARE(m_screen->findChild<QLineEdit*>(field)->text(),
             nativeSpelling ? QDir::toNativeSeparators(picked) : picked);
    m_recorder.clear();
    save(false);
    QCOMPARE(outcome(), tester);
}

void TestSaveChecks::portThatIsNoPortTouchesNothing_data() {
    QTest::addColumn<bool>("attachments");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("warning");
    // The warning as the operator reads it: a long text cut at 20 characters, a
    // control character shown as a blank.
    const QList<std::tuple<const char*, QString, QString>> texts{
        {"past the highest", "99999",
         "A porta informada (\"99999\") não é válida: informe um número de 1 a 65535."},
        {"negative", "-1",
         "A porta informada (\"-1\") não é válida: informe um número de 1 a 65535."},
        {"letter inside", "30x93",
         "A porta informada (\"30x93\") não é válida: informe um número de 1 a 65535."},
        {"empty", "", "A porta informada (\"\") não é válida: informe um número de 1 a 65535."},
        {"zero", "0", "A porta informada (\"0\") não é válida: informe um número de 1 a 65535."},
        {"one past 65535", "65536",
         "A porta informada (\"65536\") não é válida: informe um número de 1 a 65535."},
        {"32,767 digits", QString(32767, u'9'),
         "A porta informada (\"99999999999999999999…\") não é válida: informe um número de 1 a "
         "65535."},
        {"NUL", QString("3093") + QChar(0),
         "A porta informada (\"3093 \") não é válida: informe um número de 1 a 65535."},
        {"pasted line break", "3093\nRemoteBindAddress = 0.0.0.0",
         "A porta informada (\"3093 RemoteBindAddre…\") não é válida: informe um número de 1 a "
         "65535."},
        {"pasted line as one line", "3093 RemoteBindAddress = 0.0.0.0",
         "A porta informada (\"3093 RemoteBindAddre…\") não é válida: informe um número de 1 a "
         "65535."}};
    for (const bool attachments : {false, true}) {
        for (const auto& [name, port, warning] : texts) {
            QTest::addRow("%s, %s", attachments ? "attachments" : "main", name)
                << attachments << port << warning;
        }
    }
}

// With the database on this machine: one warning, the focus on the port, and
// the service, "firebird.conf" and "ruv.ini" as they were.
void TestSaveChecks::portThatIsNoPortTouchesNothing() {
    QFETCH(bool, attachments);
    QFETCH(QString, port);
    QFETCH(QString, warning);
    const QByteArray stored = "[RUV]\r\nPORTACON=3050\r\n";
    QFile ini(dir() + "/ruv.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(stored) == stored.size());
    ini.close();
    openFilled(attachments);
    apply({"rLocal=sim"});
    m_screen->ui->edPorta->setText(port);
    const QByteArray conf = m_tool->conf();

    save(attachments);

    QCOMPARE(outcome(), QStringLiteral("warning"));
    QCOMPARE(m_recorder.texts("warning"), QStringList{warning});
    QCOMPARE(QApplication::focusWidget(), m_screen->ui->edPorta);
    QCOMPARE(m_tool->commands(), QStringList{});
    QCOMPARE(m_tool->conf(), conf);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), stored);
    QCOMPARE(m_screen->ui->Memo5->toPlainText(), QString());
}

void TestSaveChecks::serviceRestartOfBothSaves_data() {
    QTest::addColumn<bool>("attachments");
    QTest::addColumn<bool>("local");
    QTest::addColumn<bool>("keepService");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("rewritten");
    const QStringList restart{"stop", "start"};
    for (const bool attachments : {false, true}) {
        const char* save = attachments ? "attachments" : "main";
        QTest::addRow("%s, local", save) << attachments << true << false << restart << true;
        QTest::addRow("%s, local, service kept", save)
            << attachments << true << true << QStringList{} << true;
        QTest::addRow("%s, TCP/IP", save)
            << attachments << false << false << QStringList{} << false;
    }
}

// Keeping the service only spares the commands: the port is moved all the same.
void TestSaveChecks::serviceRestartOfBothSaves() {
    QFETCH(bool, attachments);
    QFETCH(bool, local);
    QFETCH(QStringList, commands);
    QFETCH(bool, rewritten);
    openFilled(attachments);
    if (local)
        apply({"rLocal=sim"});
    QFETCH(bool, keepService);
    MantemServico = keepService;
    const QByteArray before = m_tool->conf();

    save(attachments);

    QCOMPARE(outcome(), tester);
    // In order, and ended before the tester ran.
    QCOMPARE(m_tool->commands(), commands);
    QCOMPARE(m_tool->conf(), rewritten ? QByteArray("RemoteServicePort = 3999\r\n") : before);
}

void TestSaveChecks::undeletableCopyEndsTheMainSave_data() {
    QTest::addColumn<bool>("readOnlyDisk");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only copy")
        << false << "o usuário não tem permissão de acesso ao arquivo ou à pasta dele";
    if (Tmpfs::supported())
        QTest::newRow("read-only disk") << true << "o disco está somente para leitura";
}

// With the option cleared, a "ruv.dat" that stays would keep the RUV programs in
// multi-company mode: the save ends before the service or any file is touched.
void TestSaveChecks::undeletableCopyEndsTheMainSave() {
    QFETCH(bool, readOnlyDisk);
    QFETCH(QString, reason);
    openFilled(false);
    apply({"rLocal=sim"});
    const QString app = dir() + "/app";
    QVERIFY(QDir(dir()).mkdir("app"));
    std::optional<Tmpfs> disk;
    if (readOnlyDisk)
        QVERIFY(disk.emplace(app).mounted());
    ExecutableFolder::setForTesting(app + u'/');
    const QByteArray stored = "[RUV]\r\nServidor=antigo\r\n";
    FileBytes::write(app + "/ruv.ini", stored);
    FileBytes::write(app + "/ruv.dat", stored);
    const auto writable = qScopeGuard([&] {
        QFile::setPermissions(app + "/ruv.dat", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    });
    if (readOnlyDisk)
        QVERIFY(disk->remountReadOnly());
    else
        QVERIFY(QFile::setPermissions(app + "/ruv.dat", QFileDevice::ReadOwner));
    const QByteArray conf = m_tool->conf();

    save(false);

    QCOMPARE(outcome(), QStringLiteral("error"));
    const QString text = m_recorder.entries.first().text;
    QCOMPARE(text, "Não foi possível apagar o arquivo \"" + app + "/ruv.dat\": " + reason +
                       ".\rA opção Multi-Empresa continua ativa para os programas do RUV. Nada "
                       "foi gravado.");
    QVERIFY(QFile::exists(app + "/ruv.dat"));
    QCOMPARE(FileBytes::read(app + "/ruv.ini"), stored);
    QCOMPARE(m_tool->commands(), QStringList{});
    QCOMPARE(m_tool->conf(), conf);
}

void TestSaveChecks::withoutRightsALocalSaveTouchesNothing_data() {
    QTest::addColumn<bool>("attachments");
    QTest::newRow("main") << false;
    QTest::newRow("attachments") << true;
}

// One box asks for an administrator; the service, "firebird.conf" and the tester
// are left alone.
void TestSaveChecks::withoutRightsALocalSaveTouchesNothing() {
    QFETCH(bool, attachments);
    openFilled(attachments);
    apply({"rLocal=sim"});
    ServiceRestart::setRightsForTesting(false);
    const auto restore = qScopeGuard([] { ServiceRestart::setRightsForTesting(std::nullopt); });
    const QByteArray conf = m_tool->conf();

    save(attachments);

    QCOMPARE(outcome(), QStringLiteral("warning"));
    QVERIFY(m_recorder.entries.first().text.contains("executado como administrador"));
    QCOMPARE(m_tool->commands(), QStringList{});
    QCOMPARE(m_tool->conf(), conf);
}

void TestSaveChecks::localRestartLeavesTheServerRunning_data() {
    // "<old>" is the port the server runs on before the save, "<new>" the one typed,
    // "<conf>" the installation's firebird.conf, "<dll>" its connection-library folder.
    QTest::addColumn<QByteArray>("conf"); // null: there is none
    QTest::addColumn<bool>("readOnly");
    // "stop refuse" (exit code 3), "start hang" (never ends), "stop pretend" (exit code 0,
    // nothing done); "no tool": no instsvc.exe
    QTest::addColumn<QStringList>("misbehaviours");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("listens");  // "<old>", "<new>" or nothing
    QTest::addColumn<QByteArray>("after"); // firebird.conf afterwards; null: as it was
    QTest::addColumn<QString>("box");      // empty: the tester ran, "ruv.ini" was written
    const QByteArray portLine = "RemoteServicePort = <old>\r\n";
    const QString untouched = "\rO serviço do Firebird não foi parado e nada foi alterado.";
    const QString iniKept = "\rO arquivo \"ruv.ini\" não foi alterado.";
    const QString startFailed =
        "O comando start do serviço do Firebird falhou (código de saída 3).";
    const QString putBack = "\rO arquivo \"<conf>\" voltou a ser como era, com a porta <old>, e o "
                            "comando start foi enviado mais uma vez.\r";
    const QStringList restart{"stop", "start"};
    QTest::newRow("firebird.conf missing")
        << QByteArray() << false << QStringList{} << QStringList{} << "<old>" << QByteArray()
        << "O Caminho da DLL de conexão com o Firebird não contem o arquivo de configuração "
           "\"firebird.conf\".\rA Porta de conexão não pode ser alterada." +
               untouched;
    QTest::newRow("firebird.conf read-only")
        << portLine << true << QStringList{} << QStringList{} << "<old>" << QByteArray()
        << "Não foi possível gravar o arquivo \"<conf>\": o usuário não tem permissão de acesso "
           "ao arquivo ou à pasta dele." +
               untouched;
    QTest::newRow("service tool missing")
        << portLine << false << QStringList{"no tool"} << QStringList{} << "<old>" << QByteArray()
        << "O programa de serviço do Firebird \"<dll>instsvc.exe\" não foi encontrado." + untouched;
    QTest::newRow("port line of other spacing")
        << QByteArray("# porta\r\nRemoteServicePort=<old>\r\n") << false << QStringList{} << restart
        << "<new>" << QByteArray("# porta\r\nRemoteServicePort = <new>\r\n") << QString();
    QTest::newRow("no port line: the default port, one line added")
        << QByteArray("#RemoteServicePort=3051\r\nDefaultDbCachePages = 2048\r\n") << false
        << QStringList{} << restart << "<new>"
        << QByteArray("#RemoteServicePort=3051\r\nDefaultDbCachePages = 2048\r\n"
                      "RemoteServicePort = <new>\r\n")
        << QString();
    QTest::newRow("stop fails") << portLine << false << QStringList{"stop refuse"}
                                << QStringList{"stop"} << "<old>" << QByteArray()
                                << "O comando stop do serviço do Firebird falhou (código de saída "
                                   "3).\rO servidor Firebird continua em execução na porta <old>." +
                                       iniKept;
    QTest::newRow("stop reports success, the server still answers")
        << portLine << false << QStringList{"stop pretend"} << QStringList{"stop"} << "<old>"
        << QByteArray()
        << "O serviço do Firebird respondeu ao comando stop, mas o servidor continua aceitando "
           "conexões na porta <old>.\rO servidor Firebird continua em execução na porta <old>." +
               iniKept;
    QTest::newRow("stop hangs past its bound")
        << portLine << false << QStringList{"stop hang"} << QStringList{"stop"} << "<old>"
        << QByteArray()
        << "O serviço do Firebird não concluiu o comando stop em 2 segundos.\rO servidor Firebird "
           "continua em execução na porta <old>." +
               iniKept;
    QTest::newRow("start fails once")
        << portLine << false << QStringList{"start refuse"} << QStringList{"stop", "start", "start"}
        << "<old>" << QByteArray()
        << startFailed + putBack +
               "O servidor Firebird foi iniciado novamente e está em execução na porta <old>." +
               iniKept;
    QTest::newRow("start fails twice")
        << portLine << false << QStringList{"start refuse", "start refuse"}
        << QStringList{"stop", "start", "start"} << "" << QByteArray()
        << startFailed + putBack + startFailed +
               "\rO servidor Firebird está parado: nenhuma estação alcança os bancos de dados até "
               "que ele volte. Inicie o serviço do Firebird (em Serviços do Windows, ou com "
               "\"instsvc.exe start\" na pasta \"<dll>\"); ele usará a porta <old> do arquivo "
               "\"<conf>\". Se não iniciar, veja o firebird.log da instalação." +
               iniKept;
}

// A Local main save on a server that runs: whatever fails, the server is left
// running (on the new port, or on its old one with its old firebird.conf), or
// the box says plainly that it is stopped; the box comes after the last command.
void TestSaveChecks::localRestartLeavesTheServerRunning() {
    QFETCH(QByteArray, conf);
    QFETCH(bool, readOnly);
    QFETCH(QString, box);
    const bool setsPort = conf.isNull() || conf.contains("<old>");
    if (!setsPort)
        QVERIFY2(!ServerInstallation::listens("3050"), "another server listens on 3050");
    const QString oldPort = setsPort ? ServerInstallation::freePort() : QStringLiteral("3050");
    const QString dll = dir() + "/dll/";
    const QString confFile = dll + "firebird.conf";
    const QByteArray before = (conf.isNull() ? QByteArray("RemoteServicePort = <old>\r\n") : conf)
                                  .replace("<old>", oldPort.toLatin1());
    m_tool.reset();
    QVERIFY(QFile::remove(dll + "instsvc.exe"));
    m_tool = std::make_unique<FakeServiceTool>(dir() + "/dll", before, true);
    QVERIFY(m_tool->valid());
    const QString newPort = ServerInstallation::freePort();
    const QHash<QString, FakeServiceTool::Failure> failures{
        {"refuse", FakeServiceTool::Failure::Refuses},
        {"hang", FakeServiceTool::Failure::Hangs},
        {"pretend", FakeServiceTool::Failure::Pretends}};
    QFETCH(QStringList, misbehaviours);
    for (const QString& failure : misbehaviours) {
        if (failure == "no tool")
            QVERIFY(QFile::remove(dll + "instsvc.exe"));
        else
            QVERIFY(m_tool->misbehave(failure.section(' ', 0, 0),
                                      failures.value(failure.section(' ', 1))));
        if (failure.endsWith("hang"))
            ServiceRestart::setLimitForTesting(2000);
    }
    if (conf.isNull())
        QVERIFY(QFile::remove(confFile));
    if (readOnly)
        QVERIFY(QFile::setPermissions(confFile, QFile::ReadOwner | QFile::ReadGroup));
    const QByteArray stored = "[RUV]\r\nPORTACON=" + oldPort.toLatin1() + "\r\n";
    FileBytes::write(dir() + "/ruv.ini", stored);
    QStringList commandsAtTheBox;
    m_recorder.onRecord = [&](const QString& kind) {
        if (kind == QLatin1String("warning"))
            commandsAtTheBox = m_tool->commands();
    };
    bool testerMetTheNewPort = false;
    m_recorder.onModal = [&](QDialog&) {
        testerMetTheNewPort = ServerInstallation::listens(newPort);
        return 1;
    };
    openFilled(false);
    apply({"rLocal=sim", "edPorta=" + newPort});

    save(false);

    const auto expand = [&](QString text) {
        return text.replace("<old>", oldPort)
            .replace("<new>", newPort)
            .replace("<conf>", confFile)
            .replace("<dll>", dll);
    };
    QTEST(m_tool->commands(), "commands");
    QFETCH(QString, listens);
    QCOMPARE(ServerInstallation::listens(oldPort), listens == "<old>");
    QCOMPARE(ServerInstallation::listens(newPort), listens == "<new>");
    QFETCH(QByteArray, after);
    if (conf.isNull())
        QVERIFY(!QFile::exists(confFile));
    else
        QCOMPARE(m_tool->conf(), after.isNull() ? before : expand(after).toLatin1());
    const QString log = m_screen->ui->Memo5->toPlainText();
    if (box.isEmpty()) {
        QCOMPARE(outcome(), tester);
        QVERIFY(testerMetTheNewPort);
        QVERIFY(FileBytes::read(dir() + "/ruv.ini")
                    .contains("\r\nPORTACON=" + newPort.toLatin1() + "\r\n"));
    } else {
        QCOMPARE(outcome(), QStringLiteral("warning"));
        QCOMPARE(m_recorder.texts("warning"), QStringList{expand(box)});
        QCOMPARE(commandsAtTheBox, m_tool->commands());
        QCOMPARE(FileBytes::read(dir() + "/ruv.ini"), stored);
        QVERIFY2(log.endsWith(expand(box).section('\r', -1)), qPrintable(log));
    }
}

void TestSaveChecks::attachmentsFilePicker_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("expected");
    QTest::newRow("the attachments database")
        << std::optional<QString>("/x/Anexos/RUVARQUIVOS.FDB") << "/x/Anexos/";
    QTest::newRow("any database of the folder")
        << std::optional<QString>("/x/Anexos/OUTRO.FDB") << "/x/Anexos/";
    QTest::newRow("Windows name") << std::optional<QString>("D:\\Anexos\\OUTRO.FDB")
                                  << "D:\\Anexos\\";
    QTest::newRow("folder part trimmed")
        << std::optional<QString>(" /x/Anexos/OUTRO.FDB") << "/x/Anexos/";
    QTest::newRow("name without a folder") << std::optional<QString>("OUTRO.FDB") << "";
    QTest::newRow("cancelled") << std::optional<QString>() << "antes";
}

void TestSaveChecks::attachmentsFilePicker() {
    QFETCH(std::optional<QString>, answer);
    openFilled(true);
    m_screen->ui->edtCaminhoANX->setText("antes");
    m_recorder.pickerAnswers = {answer};

    QTest::mouseClick(m_screen->ui->BitBtn4, Qt::LeftButton);

    QCOMPARE(outcome(), QStringLiteral("filePicker"));
    const RecordingDialogService::Entry& picker = m_recorder.entries.first();
    QCOMPARE(picker.fileTypes.size(), 1);
    QCOMPARE(picker.fileTypes.first().description, QStringLiteral("Banco de Dados Firebird"));
    QCOMPARE(picker.fileTypes.first().mask, QStringLiteral("*.FDB"));
    // The root of the system's drive: a folder that exists on this machine.
    QCOMPARE(picker.text, QDir::toNativeSeparators(QDir::rootPath()));
    QVERIFY(QFileInfo(picker.text).isDir());
    QTEST(m_screen->ui->edtCaminhoANX->text(), "expected");
}

QTEST_MAIN(TestSaveChecks)
#include "tst_savechecks.moc"
