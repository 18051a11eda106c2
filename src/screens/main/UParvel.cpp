#include "screens/main/UParvel.h"

#include "config/ConfigFiles.h"
#include "config/ExecutableFolder.h"
#include "config/ProfileFile.h"
#include "funcoes/funcoes.h"
#include "probes/AddressPingCheck.h"
#include "probes/IntegrationProbe.h"
#include "screens/alternate/UParvelNovo.h"
#include "ui/DialogService.h"
#include "ui_UParvel.h"

#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

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
    Q_INIT_RESOURCE(UParvel);
    ui->setupUi(this);
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

void TFParvel::pickFolderInto(QLineEdit* field, DialogService::FolderRoot base,
                              const QString& selection) {
    RzSelectFolderDialog1.baseFolder = base;
    if (!selection.isNull())
        RzSelectFolderDialog1.selectedPathName = selection;
    if (const auto chosen = RzSelectFolderDialog1.execute())
        field->setText(SelectFolderDialog::asFolderText(*chosen));
}

// Over the network the picker starts where it was left; on this machine, at the
// program's own folder.
void TFParvel::pickShareInto(QLineEdit* field) {
    const bool local = ui->rLocal->isChecked();
    pickFolderInto(field, local ? RS2 : RS3, local ? ExecutableFolder::path() : QString());
    field->setFocus(Qt::OtherFocusReason);
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

void TFParvel::BitBtn7Click() {
    pickShareInto(ui->edPastaCidades);
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

void TFParvel::BitSalvarClick() {}

void TFParvel::btnSalvarANXClick() {}

void TFParvel::BitBtn4Click() {}

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
