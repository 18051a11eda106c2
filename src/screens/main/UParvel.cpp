#include "screens/main/UParvel.h"

#include "config/ConfigFiles.h"
#include "config/ExecutableFolder.h"
#include "config/ProfileFile.h"
#include "firebird/FirebirdLibrary.h"
#include "funcoes/AppError.h"
#include "funcoes/Platform.h"
#include "funcoes/funcoes.h"
#include "probes/AddressPingCheck.h"
#include "probes/IntegrationProbe.h"
#include "probes/UConecta.h"
#include "rules/SaveChecks.h"
#include "screens/alternate/UParvelNovo.h"
#include "screens/main/SaveTable.h"
#include "screens/main/ServiceRestart.h"
#include "ui/DialogService.h"
#include "ui_UParvel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTabBar>

TFParvel* FParvel = nullptr;
bool Carregado = false;
bool MantemServico = false;

namespace {

const QString secaoRuv = QStringLiteral("RUV");
const QString secaoPux = QStringLiteral("PUX");
const QString secaoAnexo = QStringLiteral("RUV_ANEXO");

const QString portaFirebirdPadrao = QStringLiteral("3055");
const QString portaNTierPadrao = QStringLiteral("3063");
const QString portaHttpPadrao = QStringLiteral("6061");

const QString pastaRuvPadrao = QStringLiteral("C:\\Quorvane\\RUV7\\");
const QString pastaDllConPadrao =
    QStringLiteral("C:\\Arquivos de programas\\Firebird\\Firebird_Quorvane\\bin\\");
const QString pastaFirebird = QStringLiteral("C:\\Arquivos de programas\\Firebird\\");
// An old Firebird installation whose service the saves must not restart.
const QString pastaFirebird15 =
    QStringLiteral("C:\\Arquivos de programas\\Firebird\\Firebird_1_5\\");
const QString pastaFirebird10 =
    QStringLiteral("C:\\Arquivos de programas\\Firebird\\Firebird_1_0\\");

const QString estiloAbas = QStringLiteral(
    "QTabBar::tab { border: 1px solid #9aa9bf; border-top-left-radius: 6px; "
    "border-top-right-radius: 6px; padding: 4px 9px; margin-right: 2px; background: #dfe6f0; }"
    "QTabBar::tab:selected { font-weight: bold; background: #f6f8fb; "
    "border-bottom-color: #f6f8fb; }"
    "QTabBar::tab:!selected { margin-top: 3px; }");

const QString textoIpObrigatorio = QStringLiteral("Ip ou Host do Servidor precisa ser informado!");
const QString textoPingFalhou =
    QStringLiteral("Impossível Continuar, o teste de Conexão com o Servidor Falhou.\rAcione seu "
                   "Suporte de Rede para verificar o problema e tente novamente.");
const QString textoServicoMantido =
    QStringLiteral("A biblioteca de conexão não pode ser carregada: o serviço do Firebird não "
                   "foi parado.");

bool pastaExiste(const QString& pasta) {
    return QFileInfo(pasta).isDir();
}

bool vazio(const QLineEdit* campo) {
    return Apara(campo->text()).isEmpty();
}

// The address check leaves "FALHOU" on the label; any letter case counts.
bool pingFalhou(const QLabel* status) {
    return status->text().toUpper() == QLatin1String("FALHOU");
}

bool ehSim(const QString& valor) {
    return Apara(valor) == QLatin1String("S");
}

// The operating system only counts as Windows when stored exactly so.
void selecionaSistema(QRadioButton* windows, QRadioButton* linux, const QString& valor) {
    (valor == QLatin1String("WINDOWS") ? windows : linux)->setChecked(true);
}

// A folder typed in Unix notation belongs to a Linux server.
void adivinhaSistema(const QLineEdit* pasta, QRadioButton* windows, QRadioButton* linux) {
    const QString texto = Apara(pasta->text());
    if (texto.isEmpty())
        return;
    (texto.startsWith(u'/') ? linux : windows)->setChecked(true);
}

} // namespace

TFParvel::TFParvel(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TFParvel>()) {
    ui->setupUi(this);
    // On the tab bar alone: a style sheet on the tab widget restyles every field of
    // its pages too, which cost 4% of the instructions run before the window shows.
    ui->PGD->tabBar()->setStyleSheet(estiloAbas);
    setFixedSize(size());
    // The connection group keeps its size while the address panel is hidden.
    QSizePolicy panel = ui->PIP->sizePolicy();
    panel.setRetainSizeWhenHidden(true);
    ui->PIP->setSizePolicy(panel);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    connectHandlers();
}

TFParvel::~TFParvel() = default;

void TFParvel::connectHandlers() {
    const auto whenSelected = [this](QRadioButton* radio, void (TFParvel::*handler)()) {
        connect(radio, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected)
                (this->*handler)();
        });
    };
    // Tab and the arrow navigation visit a radio pair through its selected radio.
    for (QRadioButton* radio :
         {ui->rLocal, ui->rTCPIP, ui->rbWinBD, ui->rbLinuxBD, ui->rbWinTABDEF, ui->rbLinuxTABDEF}) {
        radio->setFocusPolicy(radio->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        connect(radio, &QRadioButton::toggled, radio, [radio](bool selected) {
            radio->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        });
    }
    whenSelected(ui->rLocal, &TFParvel::rLocalClick);
    whenSelected(ui->rTCPIP, &TFParvel::rTCPIPClick);
    connect(ui->PGD, &QTabWidget::currentChanged, this, &TFParvel::PGDChange);
    // The multi-company option reacts to the operator only; the integration box
    // also to the program checking it.
    connect(ui->chRenome, &QCheckBox::clicked, this, &TFParvel::chRenomeClick);
    connect(ui->chkIntegra, &QCheckBox::toggled, this, &TFParvel::chkIntegraClick);

    const std::pair<QAbstractButton*, void (TFParvel::*)()> clicks[] = {
        {ui->BitSair, &TFParvel::BitSairClick},
        {ui->BitBtn1, &TFParvel::BitBtn1Click},
        {ui->BitBtn2, &TFParvel::BitBtn2Click},
        {ui->BitBtn3, &TFParvel::BitBtn3Click},
        {ui->BitBtn6, &TFParvel::BitBtn6Click},
        {ui->BitBtn7, &TFParvel::BitBtn7Click},
        {ui->BitPadrao, &TFParvel::BitPadraoClick},
        {ui->BitSalvar, &TFParvel::BitSalvarClick},
        {ui->btnSalvarANX, &TFParvel::btnSalvarANXClick},
        {ui->BitBtn4, &TFParvel::BitBtn4Click},
        {ui->btnTestaIntegra, &TFParvel::btnTestaIntegraClick},
        {ui->btnNovoModelo, &TFParvel::btnNovoModeloClick},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QAbstractButton::clicked, this, handler);

    bindFocus(ui->edDllCon, &TFParvel::edDllConEnter, nullptr);
    bindFocus(ui->edPastaLocalBD, &TFParvel::edPastaLocalBDEnter, &TFParvel::edPastaLocalBDExit);
    bindFocus(ui->edPastaLocalTABDEF, &TFParvel::edPastaLocalTABDEFEnter,
              &TFParvel::edPastaLocalTABDEFExit);
    bindFocus(ui->edPastaRede, &TFParvel::edPastaRedeEnter, nullptr);
    bindFocus(ui->edPastaCidades, &TFParvel::edPastaCidadesEnter, nullptr);
    bindFocus(ui->edtCaminhoANX, nullptr, &TFParvel::edtCaminhoANXExit);
    bindFocus(ui->edIPBanco, nullptr, &TFParvel::edIPBancoExit);
    bindFocus(ui->edIPTABDEF, nullptr, &TFParvel::edIPTABDEFExit);
    bindFocus(ui->edIPNtier, nullptr, &TFParvel::edIPNtierExit);
    bindFocus(ui->edIPNET, nullptr, &TFParvel::edIPNETExit);

    m_keyNavigated = {ui->rLocal,         ui->rTCPIP,
                      ui->edIPBanco,      ui->edIPTABDEF,
                      ui->edIPNtier,      ui->edDllCon,
                      ui->edPorta,        ui->edPastaLocalBD,
                      ui->edPastaCidades, ui->edPastaLocalTABDEF,
                      ui->edPastaRede,    ui->edtCaminhoANX,
                      ui->edHTTP,         ui->edNTier,
                      ui->edIPNET,        ui->edtCaminhoInteg,
                      ui->chPux,          ui->chRenome,
                      ui->rbWinBD,        ui->rbLinuxBD,
                      ui->rbWinTABDEF,    ui->rbLinuxTABDEF};

    // The screen sees every key and every focus change before its fields do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TFParvel::bindFocus(QWidget* field, void (TFParvel::*enter)(), void (TFParvel::*exit)()) {
    m_focusHandlers.insert(field, FocusHandlers{enter, exit});
}

void TFParvel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!std::exchange(m_shown, true))
        FormShow();
}

bool TFParvel::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPreview(watched, *static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        focusEvent(static_cast<QWidget*>(watched), *static_cast<QFocusEvent*>(event));
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool TFParvel::keyPreview(QObject* watched, const QKeyEvent& key) {
    if (!key.text().isEmpty()) {
        QChar typed = key.text().front();
        FormKeyPress(typed);
        if (typed.isNull())
            return true;
    }
    return m_keyNavigated.contains(watched) && edDllConKeyDown(key.key());
}

// Focus that leaves for a box, a picker or another program and comes back to the
// same field is no visit: the field's handlers run only when the operator (or a
// handler) really moves from one field to another.
void TFParvel::focusEvent(QWidget* widget, const QFocusEvent& focus) {
    if (focus.gotFocus())
        moveFocusTo(widget);
    else if (focus.reason() != Qt::ActiveWindowFocusReason &&
             focus.reason() != Qt::PopupFocusReason)
        moveFocusTo(nullptr);
}

void TFParvel::moveFocusTo(QWidget* widget) {
    if (widget == m_focused)
        return;
    const FocusHandlers left = m_focusHandlers.value(std::exchange(m_focused, widget));
    if (left.exit)
        (this->*left.exit)();
    const FocusHandlers entered = m_focusHandlers.value(widget);
    if (entered.enter)
        (this->*entered.enter)();
}

void TFParvel::MostraCidades() {
    const bool multiEmpresa = ui->chRenome->isChecked();
    ui->Label22->setVisible(multiEmpresa);
    ui->edPastaCidades->setVisible(multiEmpresa);
    ui->BitBtn7->setVisible(multiEmpresa);
}

void TFParvel::selectConnectionType() {
    (ui->edIPBanco->text().isEmpty() ? ui->rLocal : ui->rTCPIP)->setChecked(true);
}

void TFParvel::FormShow() {
    Carregado = false;
    ui->PGD->setCurrentWidget(ui->tbDirBco);
    ui->LabelTitulo->setText(QStringLiteral("Configurações da Base de Dados do RUV - vrs.: ") +
                             VersaoExe());
    {
        const ProfileFile ini(ConfigFiles::ruvIni());
        const auto ler = [&ini](const char* chave, const QString& padrao) {
            return ini.readString(secaoRuv, QString::fromLatin1(chave), padrao);
        };
        ui->edIPBanco->setText(ler("Servidor", QString()));
        ui->edIPTABDEF->setText(ler("ServidorTabDef", ui->edIPBanco->text()));
        selectConnectionType();
        const QString sistema = ler("SO_Servidor", QString());
        selecionaSistema(ui->rbWinBD, ui->rbLinuxBD, sistema);
        selecionaSistema(ui->rbWinTABDEF, ui->rbLinuxTABDEF, ler("SO_ServidorTabDef", sistema));
        ui->edDllCon->setText(ler("CaminhoDLLCON", QString()));
        ui->edPorta->setText(ler("PORTACON", portaFirebirdPadrao));
        ui->edIPNtier->setText(ler("IPDS", ui->edIPBanco->text()));
        ui->edNTier->setText(ler("PORTADS", portaNTierPadrao));
        ui->edIPNET->setText(ler("IPNET", ui->edIPBanco->text()));
        ui->edHTTP->setText(ler("PORTADSHTTP", portaHttpPadrao));
        ui->edPastaLocalBD->setText(ler("Caminho_Base_Dados", QString()));
        ui->edPastaLocalTABDEF->setText(ler("Caminho_Tabdef", QString()));
        ui->edPastaRede->setText(ler("Diretorio_Servidor", QString()));
        ui->chkLocal->setChecked(ehSim(ler("DSLOCAL", QString())));
        ui->chPux->setChecked(
            !Apara(ini.readString(secaoPux, QStringLiteral("Caminho_Base_Dados"), QString()))
                 .isEmpty());
        ui->edtCaminhoANX->setText(
            ini.readString(secaoAnexo, QStringLiteral("Caminho_Base_Dados"),
                           ui->edPastaLocalBD->text() + QStringLiteral("SGB_DADOS\\")));
        if (ProfileFile::fileExists(ConfigFiles::ruvDat()))
            ui->chRenome->setChecked(true);
        ui->edPastaCidades->setText(ler("Caminho_Cidades", QString()));
        ui->chkIntegra->setChecked(ehSim(ler("HAB_INTEGRA_CONTINTERNO", QString())));
        ui->edtCaminhoInteg->setText(ui->chkIntegra->isChecked()
                                         ? ler("CAMINHO_INTEGRA_CONTINTERNO", QString())
                                         : QString());
        MostraCidades();
    }
    for (QLabel* status : {ui->LSTS, ui->LSTS1, ui->LSTS2, ui->LSTS3})
        status->clear();
    ui->Memo5->clear();
    Carregado = true;
    ui->pg->setCurrentWidget(ui->tb00);
    ui->btnNovoModelo->setVisible(ProfileFile::fileExists(ConfigFiles::suporteMarker()) ||
                                  ProfileFile::fileExists(ConfigFiles::marlivioMarker()));
}

void TFParvel::FormKeyPress(QChar& key) {
    if (key.unicode() != 27)
        return;
    key = QChar();
    BitSairClick();
}

void TFParvel::BitSairClick() {
    dialogs().terminate();
}

void TFParvel::rLocalClick() {
    ui->PIP->setVisible(ui->rTCPIP->isChecked());
    if (!ui->rLocal->isChecked())
        return;
    ui->edIPBanco->clear();
    ui->edIPTABDEF->clear();
    ui->edIPNtier->clear();
}

void TFParvel::rTCPIPClick() {
    ui->PIP->setVisible(ui->rTCPIP->isChecked());
}

// The server address field shows the server of the database whose page is open.
void TFParvel::PGDChange() {
    const QWidget* page = ui->PGD->currentWidget();
    if (page != ui->tbDirBco && page != ui->tbAnexos)
        return;
    const ProfileFile ini(ConfigFiles::ruvIni());
    ui->edIPBanco->setText(ini.readString(page == ui->tbDirBco ? secaoRuv : secaoAnexo,
                                          QStringLiteral("Servidor"), QString()));
    selectConnectionType();
}

void TFParvel::edDllConEnter() {
    ui->pg->setCurrentWidget(ui->tbDLLCon);
}

void TFParvel::edPastaLocalBDEnter() {
    ui->pg->setCurrentWidget(ui->tbPastaLocal);
}

void TFParvel::edPastaLocalBDExit() {
    adivinhaSistema(ui->edPastaLocalBD, ui->rbWinBD, ui->rbLinuxBD);
    if (ui->chRenome->isChecked() && Apara(ui->edPastaCidades->text()).isEmpty())
        ui->edPastaCidades->setText(ui->edPastaLocalBD->text());
}

void TFParvel::edPastaLocalTABDEFEnter() {
    ui->pg->setCurrentWidget(ui->tbPastaLocal);
}

void TFParvel::edPastaLocalTABDEFExit() {
    adivinhaSistema(ui->edPastaLocalTABDEF, ui->rbWinTABDEF, ui->rbLinuxTABDEF);
}

void TFParvel::edPastaRedeEnter() {
    ui->pg->setCurrentWidget(ui->tbPastaRede);
}

void TFParvel::edPastaCidadesEnter() {
    ui->pg->setCurrentWidget(ui->tbMultiEmpresa);
}

// The attachments folder is taken as typed; the attachments save checks it.
void TFParvel::edtCaminhoANXExit() {}

bool TFParvel::edDllConKeyDown(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        focusNextPrevChild(true);
        return true;
    case Qt::Key_Up:
        focusNextPrevChild(false);
        return true;
    default:
        return false;
    }
}

bool TFParvel::pickFolderInto(QLineEdit* field, DialogService::FolderRoot base,
                              const QString& selection) {
    RzSelectFolderDialog1.baseFolder = base;
    if (!selection.isNull())
        RzSelectFolderDialog1.selectedPathName = selection;
    const auto chosen = RzSelectFolderDialog1.execute();
    if (chosen)
        field->setText(SelectFolderDialog::asFolderText(*chosen));
    return chosen.has_value();
}

// Over the network the picker starts where it was left; on this machine, at the
// program's own folder.
bool TFParvel::pickShareInto(QLineEdit* field) {
    const bool local = ui->rLocal->isChecked();
    const bool picked =
        pickFolderInto(field, local ? RS2 : RS3, local ? ExecutableFolder::path() : QString());
    field->setFocus(Qt::OtherFocusReason);
    return picked;
}

void TFParvel::BitBtn1Click() {
    pickFolderInto(ui->edPastaLocalBD, RS2, ExecutableFolder::path());
}

void TFParvel::BitBtn6Click() {
    pickFolderInto(ui->edPastaLocalTABDEF, RS2, ExecutableFolder::path());
}

void TFParvel::BitBtn3Click() {
    pickShareInto(ui->edPastaRede);
}

// The save checks the cities folder, and the RUV programs read it, with the
// database server's separator. Windows takes "/" as well, so a folder picked
// there for a Linux server is written as that server spells it.
void TFParvel::BitBtn7Click() {
    if (pickShareInto(ui->edPastaCidades) && ui->rbLinuxBD->isChecked())
        ui->edPastaCidades->setText(QDir::fromNativeSeparators(ui->edPastaCidades->text()));
}

// A workstation that reaches a remote server uses the client library installed
// beside the program; the Firebird service is only touched on a server.
void TFParvel::BitBtn2Click() {
    if (ui->rTCPIP->isChecked() && !Apara(ui->edIPBanco->text()).isEmpty()) {
        MantemServico = false;
        ui->edDllCon->setText(ExecutableFolder::path());
        return;
    }
    MantemServico = true;
    pickFolderInto(ui->edDllCon, RS2,
                   EstaEmBranco(ui->edDllCon->text()) ? pastaFirebird : ui->edDllCon->text());
    if (!Apara(ui->edDllCon->text()).isEmpty() && !QDir(pastaFirebird15).exists() &&
        !QDir(pastaFirebird10).exists())
        MantemServico = false;
}

void TFParvel::BitPadraoClick() {
    ui->pg->setCurrentWidget(ui->tbMultiEmpresa);
    ui->PGD->setCurrentWidget(ui->tbDirBco);
    ui->chPux->setChecked(false);
    ui->chRenome->setChecked(false);
    ui->rLocal->setChecked(true);
    for (QLineEdit* endereco : {ui->edIPBanco, ui->edIPTABDEF, ui->edIPNtier, ui->edIPNET})
        endereco->clear();
    ui->rbWinBD->setChecked(true);
    ui->rbWinTABDEF->setChecked(true);
    ui->edDllCon->setText(pastaDllConPadrao);
    ui->edPorta->setText(portaFirebirdPadrao);
    ui->edNTier->setText(portaNTierPadrao);
    ui->edHTTP->setText(portaHttpPadrao);
    for (QLineEdit* pasta :
         {ui->edPastaLocalBD, ui->edPastaLocalTABDEF, ui->edPastaRede, ui->edtCaminhoANX})
        pasta->setText(pastaRuvPadrao);
    ui->edPastaCidades->clear();
    ui->chkLocal->setChecked(false);
    MostraCidades();
    if (ui->BitSalvar->isEnabled())
        ui->BitSalvar->setFocus(Qt::OtherFocusReason);
}

void TFParvel::chRenomeClick() {
    ui->pg->setCurrentWidget(ui->tbMultiEmpresa);
    MostraCidades();
}

void TFParvel::chkIntegraClick() {
    const bool integra = ui->chkIntegra->isChecked();
    if (!integra)
        ui->edtCaminhoInteg->clear();
    ui->edtCaminhoInteg->setEnabled(integra);
}

QString TFParvel::IIF(bool condicao, const QString& seVerdadeiro, const QString& seFalso) {
    return condicao ? seVerdadeiro : seFalso;
}

// Every check runs, so the operator sees all that is missing at once; the focus
// ends on the last field found wanting.
bool TFParvel::VerPrioridade() {
    ui->PGD->setCurrentWidget(ui->tbDirBco);
    bool passou = true;
    const auto falha = [this, &passou](QWidget* pagina, const QString& texto, QWidget* campo) {
        if (pagina)
            ui->PGD->setCurrentWidget(pagina);
        dialogs().warningBox(texto);
        campo->setFocus(Qt::OtherFocusReason);
        passou = false;
    };
    const bool tcpip = ui->rTCPIP->isChecked();
    if (tcpip && vazio(ui->edIPBanco))
        falha(nullptr, textoIpObrigatorio, ui->edIPBanco);
    if (tcpip && vazio(ui->edIPTABDEF))
        falha(nullptr, textoIpObrigatorio, ui->edIPTABDEF);
    if (pingFalhou(ui->LSTS3))
        falha(ui->tbMobi, textoPingFalhou, ui->edIPNET);
    if (vazio(ui->edPastaLocalBD))
        falha(ui->tbDirBco, QStringLiteral("Informe a Pasta Local do Banco de Dados no Servidor!"),
              ui->edPastaLocalBD);
    if (vazio(ui->edPastaLocalTABDEF))
        falha(ui->tbDEF, QStringLiteral("Informe a Pasta Local do TABDEF no Servidor!"),
              ui->edPastaLocalTABDEF);
    if (vazio(ui->edPastaRede))
        falha(ui->tbDEF,
              QStringLiteral("Informe a Pasta na Rede que está Compartilhada com os Arquivos EXE!"),
              ui->edPastaRede);
    return passou;
}

// The first failing check shows its box on its page and focuses its field.
bool TFParvel::verificaPastas() {
    const auto falha = SaveChecks::pastas(configuracao());
    if (!falha)
        return true;
    using Campo = SaveChecks::Campo;
    const QHash<Campo, QPair<QWidget*, QWidget*>> destino = {
        {Campo::PastaBanco, {nullptr, ui->edPastaLocalBD}},
        {Campo::PastaTabdef, {ui->tbDEF, ui->edPastaLocalTABDEF}},
        {Campo::PastaRede, {ui->tbDEF, ui->edPastaRede}},
        {Campo::Dll, {nullptr, ui->edDllCon}}};
    const auto [pagina, campo] = destino.value(falha->campo);
    if (pagina)
        ui->PGD->setCurrentWidget(pagina);
    dialogs().informationBox(falha->texto);
    if (campo)
        campo->setFocus(Qt::OtherFocusReason);
    return false;
}

// Checked before anything is stopped or written: a text that is no port would
// reach the server's "firebird.conf" once its service is down.
bool TFParvel::verificaPorta() {
    const auto recusa = SaveChecks::porta(ui->edPorta->text());
    if (!recusa)
        return true;
    dialogs().warningBox(*recusa);
    ui->edPorta->setFocus(Qt::OtherFocusReason);
    return false;
}

// The separator appended to the cities folder stays on the screen whatever follows.
bool TFParvel::verificaCidades(const QString& separador) {
    QString cidades = ui->edPastaCidades->text();
    const auto falha = SaveChecks::cidades(cidades, separador);
    if (cidades != ui->edPastaCidades->text())
        ui->edPastaCidades->setText(cidades);
    if (!falha)
        return true;
    dialogs().warningBox(*falha);
    ui->edPastaCidades->setFocus(Qt::OtherFocusReason);
    ui->pg->setCurrentWidget(ui->tbPastaRede);
    return false;
}

// The multi-company mode is the copy's existence: a copy that cannot be deleted
// leaves the mode on for the RUV programs, so the save ends before anything is
// stopped or written.
bool TFParvel::desligaMultiEmpresa() {
    try {
        ProfileFile::deleteFile(ConfigFiles::ruvDat());
        return true;
    } catch (const AppError& error) {
        dialogs().errorBox(error.text() +
                           QStringLiteral("\rA opção Multi-Empresa continua ativa para os "
                                          "programas do RUV. Nada foi gravado."));
        return false;
    }
}

// The message log shows what the restart waits for while it waits. A client
// library the test cannot load fails the test anyway (the tester says why), so
// the server is then left serving every workstation on its port. False when
// the server does not run on the new port; the restart's box has said why and
// how it left the server, and the save ends there.
bool TFParvel::reiniciaServicoLocal() {
    if (!ui->rLocal->isChecked())
        return true;
    ui->pg->setCurrentWidget(ui->tbConexao);
    if (!FirebirdLibrary::problem(
             platform::clientLibraryFile(ui->edDllCon->text(), QStringLiteral("fbclient.dll")))
             .isEmpty()) {
        ui->Memo5->appendPlainText(textoServicoMantido);
        return true;
    }
    return ServiceRestart::run(ui->edDllCon->text(), ui->edPorta->text(), MantemServico,
                               [this](const QString& linha) { ui->Memo5->appendPlainText(linha); });
}

// Shows the tester over the settings on the screen and closes its lines in the
// message log with the outcome.
bool TFParvel::testaConexao(const SaveSettings& s, bool anexo) {
    TFConecta janela(*ui->Memo5, this);
    FConecta = &janela;
    janela.FazAnexo = anexo;
    ConEnderecoBanco = s.servidor;
    ConSistemaBanco = s.sistemaBanco;
    if (!anexo) {
        ConEnderecoTabdef = s.servidorTabdef;
        ConSistemaTabdef = s.sistemaTabdef;
        ConPastaTabdef = s.pastaTabdef;
        ConPastaRede = s.pastaRede;
    }
    ConPastaBanco = anexo ? s.pastaAnexo : s.pastaBanco;
    ConArquivoDll = QStringLiteral("fbclient.dll");
    ConPastaDll = s.pastaDll;
    ConPorta = s.porta;
    const bool conectou = dialogs().execModal(janela) == 1;
    ui->Memo5->appendPlainText(QString());
    ui->Memo5->appendPlainText(conectou ? QStringLiteral("CONEXÃO ESTABELECIDA COM SUCESSO.")
                                        : QStringLiteral("CONEXÃO FALHOU."));
    QApplication::processEvents();
    FConecta = nullptr;
    return conectou;
}

SaveSettings TFParvel::configuracao() const {
    SaveSettings s;
    s.servidor = ui->edIPBanco->text();
    s.servidorTabdef = ui->edIPTABDEF->text();
    s.sistemaBanco = IIF(ui->rbWinBD->isChecked(), "WINDOWS", "LINUX");
    s.sistemaTabdef = IIF(ui->rbWinTABDEF->isChecked(), "WINDOWS", "LINUX");
    s.pastaBanco = ui->edPastaLocalBD->text();
    s.pastaTabdef = ui->edPastaLocalTABDEF->text();
    s.pastaCidades = ui->edPastaCidades->text();
    s.pastaRede = ui->edPastaRede->text();
    s.pastaDll = ui->edDllCon->text();
    s.porta = ui->edPorta->text();
    s.ipNtier = ui->edIPNtier->text();
    s.portaNtier = ui->edNTier->text();
    s.ipNet = ui->edIPNET->text();
    s.portaHttp = ui->edHTTP->text();
    s.dsLocal = IIF(ui->chkLocal->isChecked(), "S", "N");
    s.pux = ui->chPux->isChecked();
    s.integra = IIF(ui->chkIntegra->isChecked(), "S", "N");
    s.caminhoInteg = ui->edtCaminhoInteg->text();
    s.pastaAnexo = ui->edtCaminhoANX->text();
    return s;
}

void TFParvel::BitSalvarClick() {
    if (!VerPrioridade() || !verificaPastas() || !verificaPorta())
        return;
    const QString separador = SaveChecks::separador(configuracao());
    const bool multiEmpresa = ui->chRenome->isChecked();
    if (multiEmpresa && !verificaCidades(separador))
        return;
    if (!multiEmpresa && !desligaMultiEmpresa())
        return;
    if (!reiniciaServicoLocal())
        return;
    ui->pg->setCurrentWidget(ui->tbConexao);
    // One reading of the fields serves the test and the writes that follow it.
    const SaveSettings settings = configuracao();
    if (!testaConexao(settings, false))
        return;
    SaveTable::write(ConfigFiles::ruvIni(), SaveTable::principal(settings, SaveTable::File::Ini));
    if (multiEmpresa)
        SaveTable::write(ConfigFiles::ruvDat(),
                         SaveTable::principal(settings, SaveTable::File::Dat));
    else
        ProfileFile::deleteFile(ConfigFiles::ruvDat());
    ui->BitSalvar->setEnabled(false);
}

// Stops at the first failing check. The folder of the attachments database is
// looked at only when the database is on this machine.
bool TFParvel::VerPrioridadeANX() {
    ui->PGD->setCurrentWidget(ui->tbAnexos);
    const bool tcpip = ui->rTCPIP->isChecked();
    const QString pastaAnexo = ui->edtCaminhoANX->text();
    const auto falha = [this](QWidget* pagina, void (DialogService::*caixa)(const QString&),
                              const QString& texto, QWidget* campo) {
        if (pagina)
            ui->PGD->setCurrentWidget(pagina);
        (dialogs().*caixa)(texto);
        if (campo)
            campo->setFocus(Qt::OtherFocusReason);
        return false;
    };
    if (tcpip && vazio(ui->edIPBanco))
        return falha(nullptr, &DialogService::warningBox, textoIpObrigatorio, ui->edIPBanco);
    if (pingFalhou(ui->LSTS3))
        return falha(ui->tbMobi, &DialogService::warningBox, textoPingFalhou, ui->edIPNET);
    if (vazio(ui->edtCaminhoANX))
        return falha(ui->tbAnexos, &DialogService::warningBox,
                     QStringLiteral("Informe a Pasta Local do Banco de Dados de Anexos!"),
                     ui->edtCaminhoANX);
    if (!tcpip && vazio(ui->edIPBanco) && ui->rbWinBD->isChecked() && !pastaExiste(pastaAnexo))
        return falha(ui->tbAnexos, &DialogService::informationBox,
                     QStringLiteral("Diretório Local do Banco de Dados de Anexos Inválido."),
                     ui->edtCaminhoANX);
    if (!tcpip && !ProfileFile::fileExists(pastaAnexo + QStringLiteral("RUVARQUIVOS.FDB")))
        return falha(ui->tbAnexos, &DialogService::warningDialog,
                     QStringLiteral("Atenção !!!\rA Pasta informada não contem um banco de dados "
                                    "de Anexos."),
                     nullptr);
    if (vazio(ui->edDllCon))
        return falha(nullptr, &DialogService::informationBox, SaveChecks::textoDllNaoInformada,
                     nullptr);
    return true;
}

void TFParvel::btnSalvarANXClick() {
    ui->Memo5->clear();
    if (!VerPrioridadeANX())
        return;
    if (const auto ausente =
            vazio(ui->edDllCon) ? std::nullopt : SaveChecks::dllAusente(ui->edDllCon->text())) {
        dialogs().informationBox(*ausente);
        ui->PGD->setCurrentWidget(ui->tbDirBco);
        ui->edDllCon->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!verificaPorta() || !reiniciaServicoLocal())
        return;
    ui->edtCaminhoANX->setFocus(Qt::OtherFocusReason);
    ui->pg->setCurrentWidget(ui->tbConexao);
    const SaveSettings settings = configuracao();
    if (!testaConexao(settings, true))
        return;
    SaveTable::write(ConfigFiles::ruvIni(), SaveTable::anexos(settings, SaveTable::File::Ini));
    // The copy follows the option here but is never deleted: that is the main
    // save's decision.
    if (ui->chRenome->isChecked())
        SaveTable::write(ConfigFiles::ruvDat(), SaveTable::anexos(settings, SaveTable::File::Dat));
}

// The picker opens at the root of the system's drive ("C:\\" on Windows); a
// drive letter means nothing elsewhere, where the file-system root takes its place.
void TFParvel::BitBtn4Click() {
    const auto escolhido = dialogs().pickOpenFile(
        {{QStringLiteral("Banco de Dados Firebird"), QStringLiteral("*.FDB")}},
        QDir::toNativeSeparators(QDir::rootPath()));
    if (!escolhido)
        return;
    ui->edtCaminhoANX->clear();
    if (Apara(*escolhido).isEmpty())
        return;
    // The folder is kept with its delimiter; the file's own name is dropped.
    ui->edtCaminhoANX->setText(Apara(PastaDoArquivo(*escolhido)));
}

// The database servers are proved by the saves' connection test, not by a ping.
void TFParvel::edIPBancoExit() {}

void TFParvel::edIPTABDEFExit() {}

void TFParvel::edIPNtierExit() {}

void TFParvel::edIPNETExit() {
    if (Carregado)
        AddressPingCheck::run(ui->edIPNET->text(), *ui->LSTS3);
}

void TFParvel::btnTestaIntegraClick() {
    IntegrationProbe().check(ui->edtCaminhoInteg->text());
}

void TFParvel::btnNovoModeloClick() {
    TFParvelNovo janela;
    dialogs().execModal(janela);
}
