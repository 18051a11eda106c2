#include "RecordingDialogService.h"
#include "config/ExecutableFolder.h"
#include "probes/IcmpClient.h"
#include "probes/UPing.h"
#include "screens/alternate/NavigationButton.h"
#include "screens/alternate/UParvelNovo.h"
#include "screens/main/UParvel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

// Answers every echo request, or none; notes the host it was given.
class ScriptedIcmp : public IcmpClient {
public:
    ScriptedIcmp(bool answers, QStringList& hosts) : m_answers(answers), m_hosts(hosts) {}
    void setHost(const QString& host) override { m_hosts.append(host); }
    IcmpReport ping() override {
        IcmpReport report;
        report.sequence = ++m_sequence;
        if (m_answers) {
            report.bytes = kDataSize;
            report.sender = QStringLiteral("127.0.0.1");
            report.ttl = 64;
        } else {
            report.sender = QStringLiteral("0.0.0.0");
            report.rttMs = kTimeoutMs;
        }
        return report;
    }

private:
    bool m_answers;
    QStringList& m_hosts;
    uint16_t m_sequence = 0;
};

QImage picture(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage();
}

const QStringList kNavigation = {"btnConfigRUV", "btnConfigTabDef", "btnConfigAnexos",
                                 "btnAplicacao", "btnFirebird"};

// Stored values that the folder guesses would change: a page whose fields the
// operator never entered must keep them.
const QByteArray kGuessBait =
    "[RUV]\nSO_Servidor=WINDOWS\nCaminho_Base_Dados=/home/samba/Quorvane/RUV7/\n"
    "SO_ServidorTabDef=LINUX\nCaminho_Tabdef=C:\\Quorvane\\RUV7\\\n"
    "Diretorio_Servidor=\\\\SERVIDOR\\Quorvane\\RUV7\\\n"
    "Servidor=10.0.0.1\nCaminhoDLLCON=C:\\F\\\n"
    "[RUV_ANEXO]\nSO_Servidor=LINUX\nCaminho_Base_Dados=D:\\Arquivos\\\n";

} // namespace

class TestUParvelNovo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loader_data();
    void loader();
    void showPreparesTheWindow();
    void navigationMovesTheMarks_data();
    void navigationMovesTheMarks();
    void navigationLeavesTheFocusOutOfThePages_data();
    void navigationLeavesTheFocusOutOfThePages();
    void folderLeftForTheNavigationGuessesItsSystem();
    void navigationCaptionsFitTheirButtons();
    void captionsAreWhole();
    void noticesFollowTheFocus_data();
    void noticesFollowTheFocus();
    void keysMoveTheFocus_data();
    void keysMoveTheFocus();
    void escapeEndsTheProgram_data();
    void escapeEndsTheProgram();
    void leavingAFolderGuessesTheSystem_data();
    void leavingAFolderGuessesTheSystem();
    void connectionTypeFollowsTheBox();
    void addressWithoutDigitsIsNotPinged();
    void addressTest_data();
    void addressTest();
    void cadastrixCheck_data();
    void cadastrixCheck();
    void multiCompanyPrefillsAndEmpties_data();
    void multiCompanyPrefillsAndEmpties();
    void attachmentsFilePicker_data();
    void attachmentsFilePicker();
    void idleControlsChangeNothing();
    void noActionWritesAnyFile();
    void mainScreenOpensAFreshWindowEachTime();

private:
    void open();
    void store(const QString& name, const QByteArray& bytes);
    void showPage(const QString& button);
    void useScriptedPing(bool answers);
    QStringList formState();
    void checkMarks(const QString& current);
    template <typename T = QWidget> T* w(const QString& name) {
        T* widget = screen->findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", qPrintable(name));
        return widget;
    }
    QString currentNotice() { return w<QTabWidget>("pg")->currentWidget()->objectName(); }

    RecordingDialogService recorder;
    QTemporaryDir folder;
    std::unique_ptr<TFParvelNovo> screen;
    QStringList pingedHosts;
};

void TestUParvelNovo::initTestCase() {
    QVERIFY(folder.isValid());
    ExecutableFolder::setForTesting(folder.path() + '/');
    setDialogs(&recorder);
}

void TestUParvelNovo::init() {
    QFile::remove(folder.filePath("ruv.ini"));
    QFile::remove(folder.filePath("ruv.dat"));
    recorder.clear();
    pingedHosts.clear();
}

void TestUParvelNovo::cleanup() {
    screen.reset();
    IcmpClient::setFactoryForTesting({});
}

void TestUParvelNovo::open() {
    screen = std::make_unique<TFParvelNovo>();
    screen->show();
    QVERIFY(QTest::qWaitForWindowActive(screen.get()));
}

void TestUParvelNovo::store(const QString& name, const QByteArray& bytes) {
    QFile file(folder.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestUParvelNovo::showPage(const QString& button) {
    w<QPushButton>(button)->click();
}

void TestUParvelNovo::useScriptedPing(bool answers) {
    IcmpClient::setFactoryForTesting(
        [this, answers] { return std::make_unique<ScriptedIcmp>(answers, pingedHosts); });
}

// Every field, box and option of the window, the notice shown and the settings page.
QStringList TestUParvelNovo::formState() {
    QStringList state;
    for (auto* e : screen->findChildren<QLineEdit*>())
        state << e->objectName() + '=' + e->text();
    for (auto* c : screen->findChildren<QComboBox*>())
        state << c->objectName() + '=' + QString::number(c->currentIndex());
    for (auto* c : screen->findChildren<QCheckBox*>())
        state << c->objectName() + '=' + (c->isChecked() ? "1" : "0");
    state << "notice=" + currentNotice()
          << "page=" + w<QTabWidget>("PGD")->currentWidget()->objectName();
    state.sort(); // showing a page raises it among its siblings
    return state;
}

// The green mark and the bold caption on `current` alone, the grey mark elsewhere.
void TestUParvelNovo::checkMarks(const QString& current) {
    const QImage green = picture(QIcon(":/alternate/marca-atual.png"));
    const QImage grey = picture(QIcon(":/alternate/marca-outra.png"));
    QVERIFY(green != grey);
    for (const QString& name : kNavigation) {
        auto* b = w<QPushButton>(name);
        QCOMPARE(picture(b->icon()) == green, name == current);
        QCOMPARE(picture(b->icon()) == grey, name != current);
        QCOMPARE(b->font().bold(), name == current);
    }
}

// Each row: the stored files and the state of some widgets after showing,
// as "widget.property" → value.
void TestUParvelNovo::loader_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("dat");
    QTest::addColumn<QVariantMap>("expected");

    QVariantMap empty{
        {"comboSistOpeRUV.currentIndex", 0},   {"comboSistOpeDEF.currentIndex", 0},
        {"comboSistOpeANX.currentIndex", 0},   {"portaNTierAPL.text", "3063"},
        {"portaHttpAPL.text", "6061"},         {"campoPortaFIRE.text", "3055"},
        {"checkMultiEmpresa.checked", false},  {"checkHabCadastrix.checked", false},
        {"PanelCidades.visible", false},       {"comboConexaoAPL.currentIndex", 1},
        {"campoIPValidoAPL.enabled", true},    {"campoIPServidorAPL.enabled", true},
        {"btnTestaIPValidoAPL.enabled", true}, {"btnTestaIPServidorAPL.enabled", true},
        {"labStatusIPValidoAPL.text", ""},     {"labStatusIPServidorAPL.text", ""}};
    for (const char* s : {"RUV", "DEF", "ANX"}) {
        empty.insert(QString("comboConexao%1.currentIndex").arg(s), 0);
        empty.insert(QString("campoIpServ%1.enabled").arg(s), false);
        empty.insert(QString("btnTestaIp%1.enabled").arg(s), false);
        empty.insert(QString("labStatus%1.text").arg(s), "");
    }
    QTest::newRow("no file") << QByteArray() << false << empty;

    QTest::newRow("every key reaches its field")
        << QByteArray(
               "[RUV]\nServidor=10.0.0.1\nServidorTabDef=10.0.0.2\nCaminho_Base_Dados=C:\\B\\\n"
               "Caminho_TabDef=C:\\T\\\nCaminho_Cidades=\\\\S\\CIDADES\\\n"
               "Diretorio_Servidor=\\\\S\\RUV7\\\nCaminhoDLLCON=C:\\F\\\nPORTACON=\n"
               "IPDS=10.0.0.3\nPORTADS=1\nIPNET=200.0.0.4\nPORTADSHTTP=2\n"
               "[RUV_ANEXO]\nServidor=10.0.0.5\nCaminho_Base_Dados=D:\\A\\\n")
        << false
        << QVariantMap{{"campoIpServRUV.text", "10.0.0.1"},
                       {"campoIpServDEF.text", "10.0.0.2"},
                       {"campoIpServANX.text", "10.0.0.5"},
                       {"caminhoServidorRUV.text", "C:\\B\\"},
                       {"caminhoServidorDEF.text", "C:\\T\\"},
                       {"caminhoCidadesRUV.text", "\\\\S\\CIDADES\\"},
                       {"caminhoExecutaveisDEF.text", "\\\\S\\RUV7\\"},
                       {"caminhoServidorANX.text", "D:\\A\\"},
                       {"caminhoDllFIRE.text", "C:\\F\\"},
                       {"campoPortaFIRE.text", ""},
                       {"campoIPServidorAPL.text", "10.0.0.3"},
                       {"campoIPValidoAPL.text", "200.0.0.4"},
                       {"portaNTierAPL.text", "1"},
                       {"portaHttpAPL.text", "2"}};

    QTest::newRow("address without type: network")
        << QByteArray("[RUV]\nServidor=10.0.0.5\n") << false
        << QVariantMap{{"comboConexaoRUV.currentIndex", 1},
                       {"campoIpServRUV.text", "10.0.0.5"},
                       {"campoIpServRUV.enabled", true},
                       {"btnTestaIpRUV.enabled", true},
                       {"labStatusRUV.text", ""}};
    QTest::newRow("stored type 0 wins over the address")
        << QByteArray("[RUV]\nServidor=10.0.0.5\nTipo_Conexao_Servidor=0\n") << false
        << QVariantMap{{"comboConexaoRUV.currentIndex", 0},
                       {"campoIpServRUV.text", ""},
                       {"campoIpServRUV.enabled", false}};
    QTest::newRow("localhost, blanks and capitals: local")
        << QByteArray("[RUV]\nServidorTabDef= LocalHost \n[RUV_ANEXO]\nServidor=  localhost\n")
        << false
        << QVariantMap{{"comboConexaoDEF.currentIndex", 0},
                       {"campoIpServDEF.text", ""},
                       {"comboConexaoANX.currentIndex", 0},
                       {"campoIpServANX.enabled", false}};
    QTest::newRow("systems: capitals first, anything else is Linux")
        << QByteArray("[RUV]\nSO_Servidor=linux\nSO_ServidorTabDef=UNIX\n"
                      "[RUV_ANEXO]\nSO_Servidor=WiNdOwS\n")
        << false
        << QVariantMap{{"comboSistOpeRUV.currentIndex", 1},
                       {"comboSistOpeDEF.currentIndex", 1},
                       {"comboSistOpeANX.currentIndex", 0}};
    QTest::newRow("DSLOCAL S: local, both addresses dropped")
        << QByteArray("[RUV]\nDSLOCAL= S\nIPNET=200.1.1.1\nIPDS=10.0.0.9\n") << false
        << QVariantMap{
               {"comboConexaoAPL.currentIndex", 0},     {"campoIPValidoAPL.text", ""},
               {"campoIPValidoAPL.enabled", false},     {"btnTestaIPValidoAPL.enabled", false},
               {"campoIPServidorAPL.text", ""},         {"campoIPServidorAPL.enabled", false},
               {"btnTestaIPServidorAPL.enabled", false}};
    QTest::newRow("DSLOCAL s: network")
        << QByteArray("[RUV]\nDSLOCAL=s\nIPNET=200.1.1.1\nIPDS=10.0.0.9\n") << false
        << QVariantMap{{"comboConexaoAPL.currentIndex", 1},
                       {"campoIPValidoAPL.text", "200.1.1.1"},
                       {"campoIPServidorAPL.text", "10.0.0.9"},
                       {"campoIPServidorAPL.enabled", true}};
    QTest::newRow("blank PUX folder: option off")
        << QByteArray("[PUX]\nCaminho_Base_Dados=   \n") << false
        << QVariantMap{{"checkHabCadastrix.checked", false}};
    QTest::newRow("PUX folder: option on, no check")
        << QByteArray("[PUX]\nCaminho_Base_Dados=Z:\\nowhere\\PUX\\\n") << false
        << QVariantMap{{"checkHabCadastrix.checked", true}};
    QTest::newRow("ruv.dat present: multi-company with its cities folder")
        << QByteArray("[RUV]\nCaminho_Cidades=\\\\S\\RUV7\\CIDADES\\\n") << true
        << QVariantMap{{"checkMultiEmpresa.checked", true},
                       {"PanelCidades.visible", true},
                       {"caminhoCidadesRUV.text", "\\\\S\\RUV7\\CIDADES\\"}};
    // -1 leaves the box unselected and its handler unrun; 7 is treated the same.
    QTest::newRow("stored types -1 and 7: no selection, nothing touched")
        << QByteArray("[RUV]\nServidor=localhost\nTipo_Conexao_Servidor=-1\n"
                      "ServidorTabDef=10.0.0.7\nTipo_Conexao_TabDef=7\n"
                      "[RUV_ANEXO]\nServidor=localhost\nTipo_Conexao_Servidor=7\n")
        << false
        << QVariantMap{{"comboConexaoRUV.currentIndex", -1}, {"campoIpServRUV.text", "localhost"},
                       {"campoIpServRUV.enabled", true},     {"btnTestaIpRUV.enabled", true},
                       {"labStatusRUV.text", "Falhou"},      {"comboConexaoDEF.currentIndex", -1},
                       {"campoIpServDEF.text", "10.0.0.7"},  {"labStatusDEF.text", "Falhou"},
                       {"comboConexaoANX.currentIndex", -1}, {"campoIpServANX.text", "localhost"},
                       {"campoIpServANX.enabled", true}};
}

void TestUParvelNovo::loader() {
    QFETCH(QByteArray, ini);
    QFETCH(bool, dat);
    QFETCH(QVariantMap, expected);
    if (!ini.isEmpty())
        store("ruv.ini", ini);
    if (dat)
        store("ruv.dat", QByteArray());
    open();
    QStringList wrong;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QStringList parts = it.key().split('.');
        const QVariant actual = w(parts[0])->property(qPrintable(parts[1]));
        if (actual != it.value())
            wrong << QString("%1 is '%2', expected '%3'")
                         .arg(it.key(), actual.toString(), it.value().toString());
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
    QVERIFY(recorder.entries.isEmpty());
}

void TestUParvelNovo::showPreparesTheWindow() {
    open();
    QCOMPARE(w<QLabel>("LabelTitulo")->text(),
             QStringLiteral("Configurações da Base de Dados do RUV - vrs.: 1.0.0.0"));
    QVERIFY(!w<QTabWidget>("PGD")->tabBar()->isVisible());
    QCOMPARE(w<QTabWidget>("PGD")->currentWidget(), w("tbConfigRUV"));
    QCOMPARE(currentNotice(), "tb00");
    QVERIFY(w<QTabWidget>("pg")->tabBar()->isVisible());
    QCOMPARE(w<QPlainTextEdit>("Memo5")->toPlainText(), "");
}

void TestUParvelNovo::navigationMovesTheMarks_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("page");
    QTest::newRow("RUV") << "btnConfigRUV"
                         << "tbConfigRUV";
    QTest::newRow("TabDEF") << "btnConfigTabDef"
                            << "tbConfigTabDEF";
    QTest::newRow("attachments") << "btnConfigAnexos"
                                 << "tbConfigAnexos";
    QTest::newRow("application") << "btnAplicacao"
                                 << "tbAplicacao";
    QTest::newRow("Firebird") << "btnFirebird"
                              << "tbFirebird";
}

void TestUParvelNovo::navigationMovesTheMarks() {
    QFETCH(QString, button);
    QFETCH(QString, page);
    open();
    for (int click = 0; click < 2; ++click) { // a second click changes nothing
        showPage(button);
        QCOMPARE(w<QTabWidget>("PGD")->currentWidget()->objectName(), page);
        checkMarks(button);
    }
}

// From a field of each page that has no notice and no guess, every navigation
// button is clicked: the page and the marks change, nothing else does, and the
// focus does not follow into the page just opened.
void TestUParvelNovo::navigationLeavesTheFocusOutOfThePages_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("field");
    QTest::newRow("RUV") << "btnConfigRUV"
                         << "comboSistOpeRUV";
    QTest::newRow("TabDEF") << "btnConfigTabDef"
                            << "comboSistOpeDEF";
    QTest::newRow("attachments") << "btnConfigAnexos"
                                 << "comboSistOpeANX";
    QTest::newRow("application") << "btnAplicacao"
                                 << "portaHttpAPL";
    QTest::newRow("Firebird") << "btnFirebird"
                              << "campoPortaFIRE";
}

void TestUParvelNovo::navigationLeavesTheFocusOutOfThePages() {
    QFETCH(QString, start);
    QFETCH(QString, field);
    store("ruv.ini", kGuessBait);
    open();
    QTest::mouseClick(w(start), Qt::LeftButton);
    w(field)->setFocus(Qt::TabFocusReason);
    // Leaving the field the window opened on guessed its system: set the bait again.
    w<QComboBox>("comboSistOpeRUV")->setCurrentIndex(0);
    const QStringList before = formState();
    auto* pages = w<QTabWidget>("PGD");
    const QStringList targets = kNavigation + kNavigation; // clicked, then pressed from code
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const QString& target = targets[i];
        const bool byMouse = i < kNavigation.size();
        QTest::mouseClick(w(start), Qt::LeftButton);
        w(field)->setFocus(Qt::TabFocusReason);
        QVERIFY(w(field)->hasFocus());
        if (byMouse)
            QTest::mouseClick(w(target), Qt::LeftButton);
        else
            w<QPushButton>(target)->click();

        checkMarks(target);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(!pages->isAncestorOf(focus),
                 qPrintable(target + " gave the focus to " + focus->objectName()));
        QCOMPARE(focus, w(target));
        QStringList expected = before;
        expected.replaceInStrings(QRegularExpression("^page=.*"),
                                  "page=" +
                                      pages->widget(kNavigation.indexOf(target))->objectName());
        QCOMPARE(formState(), expected);
    }
    QVERIFY(recorder.entries.isEmpty());
}

// Clicking a navigation button leaves the field that had the focus, as clicking
// any other button does: that field alone gets its guess.
void TestUParvelNovo::folderLeftForTheNavigationGuessesItsSystem() {
    store("ruv.ini", kGuessBait);
    open();
    w("comboSistOpeRUV")->setFocus(Qt::TabFocusReason);
    w("caminhoServidorRUV")->setFocus(Qt::TabFocusReason);
    QCOMPARE(currentNotice(), "tbPastaLocal");
    QTest::mouseClick(w("btnConfigAnexos"), Qt::LeftButton);
    QCOMPARE(w<QComboBox>("comboSistOpeRUV")->currentIndex(), 1);
    QCOMPARE(w<QComboBox>("comboSistOpeANX")->currentIndex(), 1);
    QCOMPARE(w<QComboBox>("comboSistOpeDEF")->currentIndex(), 1);
    QCOMPARE(currentNotice(), "tbPastaLocal");
    QCOMPARE(QApplication::focusWidget(), w("btnConfigAnexos"));
}

// Measured with the fonts this machine has, in both weights a caption takes.
void TestUParvelNovo::navigationCaptionsFitTheirButtons() {
    open();
    for (const QString& name : kNavigation) {
        auto* button = w<NavigationButton>(name);
        const QRect caption = button->captionRect();
        QVERIFY(button->rect().contains(caption));
        QVERIFY(button->rect().contains(button->markRect()));
        QVERIFY(!caption.intersects(button->markRect()));
        for (bool bold : {false, true}) {
            QFont font = button->font();
            font.setBold(bold);
            const QRect text = QFontMetrics(font).boundingRect(
                caption, NavigationButton::kCaptionFlags, button->text());
            QVERIFY2(caption.contains(text), qPrintable(QString("%1 (%2): %3 px wide, %4 px room")
                                                            .arg(button->text(), font.family())
                                                            .arg(text.width())
                                                            .arg(caption.width())));
        }
    }
}

// Every caption of every page, measured with this machine's fonts, lies inside its
// label and under no other control; option captions fit their boxes.
void TestUParvelNovo::captionsAreWhole() {
    store("ruv.ini", "[RUV]\nServidor=10.0.0.1\n");
    store("ruv.dat", QByteArray());
    open();
    const auto textArea = [](const QLabel* label) {
        return label->fontMetrics()
            .boundingRect(label->contentsRect(), int(label->alignment()) | Qt::TextShowMnemonic,
                          label->text())
            .translated(label->pos());
    };
    QStringList cut;
    const auto checkShownCaptions = [&] {
        for (const QLabel* label : screen->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || label->wordWrap() || !label->isVisibleTo(screen.get()))
                continue;
            const QRect text = textArea(label);
            if (!label->geometry().contains(text))
                cut << QString("%1 needs %2x%3, has %4x%5")
                           .arg(label->objectName())
                           .arg(text.width())
                           .arg(text.height())
                           .arg(label->contentsRect().width())
                           .arg(label->contentsRect().height());
            for (const QWidget* other :
                 label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const auto* otherLabel = qobject_cast<const QLabel*>(other);
                const QRect area = otherLabel ? textArea(otherLabel) : other->geometry();
                if (other != label && other->isVisibleTo(screen.get()) && area.intersects(text))
                    cut << label->objectName() + " lies under " + other->objectName();
            }
        }
    };
    for (const QString& button : kNavigation) {
        showPage(button);
        checkShownCaptions();
    }
    auto* notices = w<QTabWidget>("pg");
    for (int page = 0; page < notices->count(); ++page) {
        notices->setCurrentIndex(page);
        checkShownCaptions();
    }
    for (const QCheckBox* option : screen->findChildren<QCheckBox*>())
        if (option->sizeHint().width() > option->width())
            cut << option->objectName() + " is too narrow";
    cut.removeDuplicates();
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
}

void TestUParvelNovo::noticesFollowTheFocus_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("notice");
    QTest::newRow("local folder") << "btnConfigRUV"
                                  << "caminhoServidorRUV"
                                  << "tbPastaLocal";
    QTest::newRow("TABDEF folder") << "btnConfigTabDef"
                                   << "caminhoServidorDEF"
                                   << "tbPastaLocal";
    QTest::newRow("network folder") << "btnConfigTabDef"
                                    << "caminhoExecutaveisDEF"
                                    << "tbPastaRede";
    QTest::newRow("library") << "btnFirebird"
                             << "caminhoDllFIRE"
                             << "tbDLLCon";
}

void TestUParvelNovo::noticesFollowTheFocus() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, notice);
    open();
    showPage(button);
    w("BitPadrao")->setFocus(Qt::TabFocusReason);
    w(field)->setFocus(Qt::TabFocusReason);
    QCOMPARE(currentNotice(), notice);
    // A field without a notice leaves it in place.
    w(button == "btnFirebird" ? "campoPortaFIRE" : "comboSistOpeDEF")->setFocus(Qt::TabFocusReason);
    if (button != "btnFirebird")
        w("campoIpServDEF")->setFocus(Qt::TabFocusReason);
    QCOMPARE(currentNotice(), notice);
}

void TestUParvelNovo::keysMoveTheFocus_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("forward");
    QTest::newRow("Enter in the last Firebird field")
        << "btnFirebird"
        << "campoPortaFIRE" << int(Qt::Key_Return) << true;
    QTest::newRow("Down in a text field") << "btnAplicacao"
                                          << "portaHttpAPL" << int(Qt::Key_Down) << true;
    QTest::newRow("Up in a text field") << "btnAplicacao"
                                        << "portaNTierAPL" << int(Qt::Key_Up) << false;
    QTest::newRow("Down in the connection box") << "btnConfigRUV"
                                                << "comboConexaoRUV" << int(Qt::Key_Down) << true;
    QTest::newRow("Enter on the sibling option")
        << "btnConfigRUV"
        << "checkHabCadastrix" << int(Qt::Key_Enter) << true;
}

void TestUParvelNovo::keysMoveTheFocus() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(bool, forward);
    store("ruv.ini", "[RUV]\nServidor=10.0.0.1\n");
    open();
    showPage(button);
    QWidget* start = w(field);
    start->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(start, Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
    QWidget* tabTarget = QApplication::focusWidget();
    QVERIFY(tabTarget != start);

    start->setFocus(Qt::OtherFocusReason);
    const int item = w<QComboBox>("comboConexaoRUV")->currentIndex();
    QTest::keyClick(start, Qt::Key(key));
    QCOMPARE(QApplication::focusWidget(), tabTarget);
    // The key moved the focus and nothing else.
    QCOMPARE(w<QComboBox>("comboConexaoRUV")->currentIndex(), item);
    QVERIFY(!w<QCheckBox>("checkHabCadastrix")->isChecked());
    QVERIFY(recorder.entries.isEmpty());
}

void TestUParvelNovo::escapeEndsTheProgram_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::newRow("RUV") << "btnConfigRUV"
                         << "caminhoServidorRUV";
    QTest::newRow("TabDEF") << "btnConfigTabDef"
                            << "comboSistOpeDEF";
    QTest::newRow("attachments") << "btnConfigAnexos"
                                 << "btnSalvarANX";
    QTest::newRow("application") << "btnAplicacao"
                                 << "portaHttpAPL";
    QTest::newRow("Firebird") << "btnFirebird"
                              << "caminhoDllFIRE";
}

void TestUParvelNovo::escapeEndsTheProgram() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    open();
    showPage(button);
    w(field)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w(field), Qt::Key_Escape);
    QCOMPARE(recorder.texts("terminate").size(), 1);
    QCOMPARE(recorder.entries.size(), 1);
}

void TestUParvelNovo::leavingAFolderGuessesTheSystem_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("Linux folder") << "btnConfigRUV"
                                  << "caminhoServidorRUV"
                                  << "comboSistOpeRUV"
                                  << " /home/samba/Quorvane/RUV7/" << 0 << 1;
    QTest::newRow("Windows folder") << "btnConfigTabDef"
                                    << "caminhoServidorDEF"
                                    << "comboSistOpeDEF"
                                    << "C:\\Quorvane\\RUV7\\" << 1 << 0;
    QTest::newRow("blank changes nothing") << "btnConfigAnexos"
                                           << "caminhoServidorANX"
                                           << "comboSistOpeANX"
                                           << "   " << 1 << 1;
}

void TestUParvelNovo::leavingAFolderGuessesTheSystem() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(int, before);
    QFETCH(int, after);
    open();
    showPage(button);
    auto* edit = w<QLineEdit>(field);
    edit->setFocus(Qt::TabFocusReason);
    w<QComboBox>(box)->setCurrentIndex(before);
    edit->setText(text);
    QCOMPARE(w<QComboBox>(box)->currentIndex(), before); // typed text alone guesses nothing
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(!edit->hasFocus());
    QCOMPARE(w<QComboBox>(box)->currentIndex(), after);
}

void TestUParvelNovo::connectionTypeFollowsTheBox() {
    store("ruv.ini", "[RUV]\nIPNET=200.1.1.1\nIPDS=10.0.0.9\n");
    open();
    auto* box = w<QComboBox>("comboConexaoAPL");
    w<QLabel>("labStatusIPServidorAPL")->setText("SUCESSO!");
    box->setCurrentIndex(0);
    for (const char* field : {"campoIPValidoAPL", "campoIPServidorAPL"}) {
        QCOMPARE(w<QLineEdit>(field)->text(), "");
        QVERIFY(!w(field)->isEnabled());
        QCOMPARE(w(field)->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::Button));
    }
    QVERIFY(!w("btnTestaIPValidoAPL")->isEnabled());
    QVERIFY(!w("btnTestaIPServidorAPL")->isEnabled());
    QCOMPARE(w<QLabel>("labStatusIPServidorAPL")->text(), "");

    box->setCurrentIndex(1); // back to the network: empty but editable again
    for (const char* field : {"campoIPValidoAPL", "campoIPServidorAPL"}) {
        QCOMPARE(w<QLineEdit>(field)->text(), "");
        QVERIFY(w(field)->isEnabled());
        QCOMPARE(w(field)->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::Base));
    }
    QVERIFY(w("btnTestaIPServidorAPL")->isEnabled());
}

void TestUParvelNovo::addressWithoutDigitsIsNotPinged() {
    store("ruv.ini", "[RUV]\nServidor=SERVIDOR\n");
    open();
    useScriptedPing(true);
    auto* status = w<QLabel>("labStatusRUV");
    status->setText("FALHOU...");
    w<QToolButton>("btnTestaIpRUV")->click();
    QVERIFY(recorder.entries.isEmpty());
    QVERIFY(pingedHosts.isEmpty());
    QCOMPARE(status->text(), "FALHOU...");
}

void TestUParvelNovo::addressTest_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("answering server") << "btnTestaIpDEF"
                                      << "campoIpServDEF"
                                      << "labStatusDEF"
                                      << "127.0.0.1" << true << "SUCESSO!" << QColor(0, 128, 0);
    QTest::newRow("silent server, blanks kept")
        << "btnTestaIPServidorAPL"
        << "campoIPServidorAPL"
        << "labStatusIPServidorAPL"
        << " 127.0.0.1 " << false << "FALHOU..." << QColor(255, 0, 0);
    QTest::newRow("host name with a digit") << "btnTestaIpANX"
                                            << "campoIpServANX"
                                            << "labStatusANX"
                                            << "host1" << true << "SUCESSO!" << QColor(0, 128, 0);
}

void TestUParvelNovo::addressTest() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, status);
    QFETCH(QString, address);
    QFETCH(bool, answers);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    store("ruv.ini", "[RUV]\nServidorTabDef=10.0.0.1\nIPDS=10.0.0.2\n[RUV_ANEXO]\nServidor=x9\n");
    open();
    useScriptedPing(answers);
    w<QLineEdit>(field)->setText(address);
    w<QToolButton>(button)->click();
    QCOMPARE(recorder.texts("modal").size(), 1);
    QCOMPARE(AlvoPing, address);
    QCOMPARE(pingedHosts.value(0), address);
    auto* label = w<QLabel>(status);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QVERIFY(!label->isHidden());
    QCOMPARE(FPing, nullptr);
}

void TestUParvelNovo::cadastrixCheck_data() {
    QTest::addColumn<QStringList>("create");
    QTest::addColumn<QString>("warningStart");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("no PUX folder") << QStringList{} << "Atenção !!!\nA Pasta contendo" << false;
    QTest::newRow("no PUX database")
        << QStringList{"PUX/Dados/"} << "Atenção !!!\nO Arquivo do banco de dados" << false;
    QTest::newRow("installed") << QStringList{"PUX/Dados/QUORVANE_PUX.FDB"} << "" << true;
}

void TestUParvelNovo::cadastrixCheck() {
    QFETCH(QStringList, create);
    QFETCH(QString, warningStart);
    QFETCH(bool, ticked);
    QTemporaryDir server;
    for (const QString& item : create) {
        QVERIFY(QDir().mkpath(server.filePath("PUX/Dados")));
        if (!item.endsWith('/')) {
            QFile file(server.filePath(item));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    open();
    w<QLineEdit>("caminhoExecutaveisDEF")->setText(server.path() + "/Ruv7/");
    auto* option = w<QCheckBox>("checkHabCadastrix");
    option->click();
    QCOMPARE(option->isChecked(), ticked);
    const QStringList warnings = recorder.texts("warningDialog");
    QCOMPARE(warnings.size(), warningStart.isEmpty() ? 0 : 1);
    if (!warningStart.isEmpty())
        QVERIFY2(warnings[0].startsWith(warningStart), qPrintable(warnings[0]));
    QCOMPARE(recorder.entries.size(), warnings.size());

    // Unticking by hand checks nothing.
    option->setChecked(true);
    recorder.clear();
    option->click();
    QVERIFY(!option->isChecked());
    QVERIFY(recorder.entries.isEmpty());
}

void TestUParvelNovo::multiCompanyPrefillsAndEmpties_data() {
    QTest::addColumn<QString>("cities");
    QTest::addColumn<QString>("afterTick");
    QTest::newRow("empty: takes the local folder") << ""
                                                   << "C:\\Quorvane\\RUV7\\ ";
    QTest::newRow("blanks: takes the local folder") << "   "
                                                    << "C:\\Quorvane\\RUV7\\ ";
    QTest::newRow("filled: kept") << "F:\\CIDADES\\"
                                  << "F:\\CIDADES\\";
}

void TestUParvelNovo::multiCompanyPrefillsAndEmpties() {
    QFETCH(QString, cities);
    QFETCH(QString, afterTick);
    open();
    w<QLineEdit>("caminhoServidorRUV")->setText("C:\\Quorvane\\RUV7\\ ");
    w<QLineEdit>("caminhoCidadesRUV")->setText(cities);
    auto* option = w<QCheckBox>("checkMultiEmpresa");

    option->click();
    QCOMPARE(currentNotice(), "tbMultiEmpresa");
    QVERIFY(w("PanelCidades")->isVisible());
    QCOMPARE(w<QLineEdit>("caminhoCidadesRUV")->text(), afterTick);

    w<QTabWidget>("pg")->setCurrentWidget(w("tb00"));
    option->click();
    QCOMPARE(currentNotice(), "tbMultiEmpresa");
    QVERIFY(!w("PanelCidades")->isVisible());
    QCOMPARE(w<QLineEdit>("caminhoCidadesRUV")->text(), "");
    QVERIFY(!QFile::exists(folder.filePath("ruv.dat")));
}

void TestUParvelNovo::attachmentsFilePicker_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("folderShown");
    QTest::newRow("Windows file") << std::optional<QString>("D:\\Arquivos\\RUVARQUIVOS.FDB")
                                  << "D:\\Arquivos\\";
    QTest::newRow("Linux file") << std::optional<QString>(" /srv/dados/RUVARQUIVOS.FDB")
                                << "/srv/dados/";
    QTest::newRow("cancelled") << std::optional<QString>() << "E:\\antigo\\";
}

void TestUParvelNovo::attachmentsFilePicker() {
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, folderShown);
    open();
    showPage("btnConfigAnexos");
    w<QLineEdit>("caminhoServidorANX")->setText("E:\\antigo\\");
    w<QComboBox>("comboSistOpeANX")->setCurrentIndex(1);
    recorder.pickerAnswers = {answer};
    w<QToolButton>("BitBtn4")->click();

    QCOMPARE(recorder.entries.size(), 1);
    const auto& picker = recorder.entries[0];
    QCOMPARE(picker.kind, "filePicker");
    QCOMPARE(picker.fileTypes.size(), 1);
    QCOMPARE(picker.fileTypes[0].description, "Banco de Dados Firebird");
    QCOMPARE(picker.fileTypes[0].mask, "*.FDB");
    QCOMPARE(picker.text, QDir::toNativeSeparators(QDir::rootPath()));
    QCOMPARE(w<QLineEdit>("caminhoServidorANX")->text(), folderShown);
    QCOMPARE(w<QComboBox>("comboSistOpeANX")->currentIndex(), 1);
}

// The save, the defaults, "Nulo" and the folder buttons are not built yet.
void TestUParvelNovo::idleControlsChangeNothing() {
    store("ruv.ini", "[RUV]\nServidor=10.0.0.1\nCaminho_Base_Dados=C:\\B\\\n");
    open();
    const QStringList before = formState();
    for (const char* name : {"BitSalvar", "BitPadrao", "btnSalvarANX", "btnPesqServRUV",
                             "btnPesqCidRUV", "btnPesqDEF", "BitBtn3", "BitBtn2"})
        w<QAbstractButton>(name)->click();
    QCOMPARE(formState(), before);
    QVERIFY(recorder.entries.isEmpty());
}

void TestUParvelNovo::noActionWritesAnyFile() {
    const QByteArray ini = "; mantido\r\n[RUV]\r\nServidor=127.0.0.1\r\nDSLOCAL=N\r\n"
                           "IPNET=127.0.0.1\r\n[PUX]\r\nCaminho_Base_Dados=C:\\PUX\\\r\n";
    const QByteArray dat = "[RUV]\r\nServidor=127.0.0.1\r\n";
    store("ruv.ini", ini);
    store("ruv.dat", dat);
    const auto listing = [this] {
        QStringList files;
        QDirIterator it(folder.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        files.sort();
        return files;
    };
    const QStringList filesBefore = listing();
    open();
    useScriptedPing(true);
    recorder.pickerAnswers = {std::optional<QString>("D:\\A\\RUVARQUIVOS.FDB")};
    for (const QString& name : kNavigation)
        showPage(name);
    for (const char* name : {"btnTestaIpRUV", "btnTestaIPValidoAPL", "BitBtn4", "BitSalvar",
                             "BitPadrao", "btnSalvarANX", "checkMultiEmpresa", "checkMultiEmpresa",
                             "checkHabCadastrix", "checkHabCadastrix", "BitSair"})
        w<QAbstractButton>(name)->click();
    for (const char* box : {"comboConexaoRUV", "comboConexaoDEF", "comboConexaoANX",
                            "comboConexaoAPL", "comboSistOpeRUV"})
        w<QComboBox>(box)->setCurrentIndex(0);
    w<QLineEdit>("caminhoServidorANX")->setFocus(Qt::TabFocusReason);
    w<QLineEdit>("campoIpServANX")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(screen.get(), Qt::Key_Escape);
    screen.reset();

    QCOMPARE(recorder.texts("terminate").size(), 2);
    QFile iniFile(folder.filePath("ruv.ini"));
    QFile datFile(folder.filePath("ruv.dat"));
    QVERIFY(iniFile.open(QIODevice::ReadOnly) && datFile.open(QIODevice::ReadOnly));
    QCOMPARE(iniFile.readAll(), ini);
    QCOMPARE(datFile.readAll(), dat);
    QCOMPARE(listing(), filesBefore);
}

// Each opening gets a new window: what the operator changed in the last one is gone.
void TestUParvelNovo::mainScreenOpensAFreshWindowEachTime() {
    store("ruv.ini", "[RUV]\nServidor=10.0.0.1\n");
    TFParvel main;
    main.show();
    QStringList seen;
    recorder.onModal = [&](QDialog& window) {
        window.show();
        auto* address = window.findChild<QLineEdit*>("campoIpServRUV");
        seen << address->text() + (FParvelNovo == &window ? "" : " (not the global window)");
        address->setText("changed");
        return 2;
    };
    for (int opening = 0; opening < 2; ++opening) {
        main.findChild<QPushButton*>("btnNovoModelo")->click();
        QCOMPARE(FParvelNovo, nullptr); // destroyed once the modal run ended
    }
    recorder.onModal = nullptr;
    QCOMPARE(seen, QStringList({"10.0.0.1", "10.0.0.1"}));
    QCOMPARE(recorder.texts("modal").size(), 2);
    QCOMPARE(recorder.entries[0].title, "Configuração");
}

QTEST_MAIN(TestUParvelNovo)
#include "tst_uparvelnovo.moc"
