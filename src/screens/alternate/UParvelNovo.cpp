#include "screens/alternate/UParvelNovo.h"

#include "config/ConfigFiles.h"
#include "config/ProfileFile.h"
#include "funcoes/funcoes.h"
#include "probes/UPing.h"
#include "screens/alternate/AlternateRules.h"
#include "screens/alternate/PuxInstallation.h"
#include "ui/DialogService.h"
#include "ui_UParvelNovo.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTabBar>

TFParvelNovo* FParvelNovo = nullptr;

namespace {

const QColor corSucesso(0, 128, 0);
const QColor corFalha(255, 0, 0);

void pintaStatus(QLabel* status, const QColor& cor, const QString& texto) {
    QPalette paleta = status->palette();
    paleta.setColor(QPalette::WindowText, cor);
    status->setPalette(paleta);
    status->setText(texto);
}

// Enabled address fields get the window colour, disabled ones the button face.
void habilitaEndereco(QLineEdit* campo, QToolButton* teste, bool habilita) {
    QPalette paleta = campo->palette();
    paleta.setColor(QPalette::Base,
                    QApplication::palette().color(habilita ? QPalette::Base : QPalette::Button));
    campo->setPalette(paleta);
    campo->setEnabled(habilita);
    teste->setEnabled(habilita);
    if (!habilita)
        campo->clear();
}

// Notices and guesses follow the focus moving between fields, not the window
// losing or regaining activation (a ping window, a popup, switching programs).
bool movidoPeloOperador(QEvent* event) {
    const Qt::FocusReason motivo = static_cast<QFocusEvent*>(event)->reason();
    return motivo != Qt::ActiveWindowFocusReason && motivo != Qt::PopupFocusReason;
}

// Selects an item only when the position really changes: asked to select
// "nothing" again, the box would still report a change and run its handler.
void selecionaItem(QComboBox* combo, int indice) {
    if (combo->currentIndex() != indice)
        combo->setCurrentIndex(indice);
}

} // namespace

TFParvelNovo::TFParvelNovo(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFParvelNovo>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    marcaAtual = QIcon(QStringLiteral(":/alternate/marca-atual.png"));
    marcaOutra = QIcon(QStringLiteral(":/alternate/marca-outra.png"));
    ligaEventos();
    ligaFiltros();
    FParvelNovo = this;
}

TFParvelNovo::~TFParvelNovo() {
    if (FParvelNovo == this)
        FParvelNovo = nullptr;
}

void TFParvelNovo::ligaEventos() {
    const auto clique = [this](QAbstractButton* botao, void (TFParvelNovo::*handler)()) {
        connect(botao, &QAbstractButton::clicked, this, handler);
    };
    clique(ui->btnConfigRUV, &TFParvelNovo::btnConfigRUVClick);
    clique(ui->btnConfigTabDef, &TFParvelNovo::btnConfigTabDefClick);
    clique(ui->btnConfigAnexos, &TFParvelNovo::btnConfigAnexosClick);
    clique(ui->btnAplicacao, &TFParvelNovo::btnAplicacaoClick);
    clique(ui->btnFirebird, &TFParvelNovo::btnFirebirdClick);
    clique(ui->btnTestaIpRUV, &TFParvelNovo::btnTestaIpRUVClick);
    clique(ui->btnTestaIpDEF, &TFParvelNovo::btnTestaIpDEFClick);
    clique(ui->btnTestaIpANX, &TFParvelNovo::btnTestaIpANXClick);
    clique(ui->btnTestaIPValidoAPL, &TFParvelNovo::btnTestaIPValidoAPLClick);
    clique(ui->btnTestaIPServidorAPL, &TFParvelNovo::btnTestaIPServidorAPLClick);
    clique(ui->checkHabCadastrix, &TFParvelNovo::checkHabCadastrixClick);
    clique(ui->checkMultiEmpresa, &TFParvelNovo::checkMultiEmpresaClick);
    clique(ui->BitBtn4, &TFParvelNovo::BitBtn4Click);
    clique(ui->BitSair, &TFParvelNovo::BitSairClick);
    clique(ui->BitSalvar, &TFParvelNovo::BitSalvarClick);
    clique(ui->BitPadrao, &TFParvelNovo::BitPadraoClick);
    clique(ui->btnSalvarANX, &TFParvelNovo::btnSalvarANXClick);
    clique(ui->btnPesqServRUV, &TFParvelNovo::btnPesqServRUVClick);
    clique(ui->btnPesqCidRUV, &TFParvelNovo::btnPesqCidRUVClick);
    clique(ui->btnPesqDEF, &TFParvelNovo::btnPesqDEFClick);
    clique(ui->BitBtn3, &TFParvelNovo::BitBtn3Click);
    clique(ui->BitBtn2, &TFParvelNovo::BitBtn2Click);

    // Selecting an item, by hand or from the loader, re-applies the connection type.
    const auto tipo = [this](QComboBox* combo, void (TFParvelNovo::*handler)()) {
        connect(combo, &QComboBox::currentIndexChanged, this, handler);
    };
    tipo(ui->comboConexaoRUV, &TFParvelNovo::comboConexaoRUVClick);
    tipo(ui->comboConexaoDEF, &TFParvelNovo::comboConexaoDEFClick);
    tipo(ui->comboConexaoANX, &TFParvelNovo::comboConexaoANXClick);
    tipo(ui->comboConexaoAPL, &TFParvelNovo::comboConexaoAPLClick);
}

// Key presses are seen window-wide before the focused control (Esc ends the
// program from anywhere); focus changes of the folder fields drive the notices
// and the operating-system guess.
void TFParvelNovo::ligaFiltros() {
    qApp->installEventFilter(this);
}

bool TFParvelNovo::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return FormKeyPress(key) || caminhoDllFIREKeyDown(widget, key);
    }
    case QEvent::FocusIn:
        if (!movidoPeloOperador(event))
            break;
        if (widget == ui->caminhoServidorRUV)
            caminhoServidorRUVEnter();
        else if (widget == ui->caminhoServidorDEF)
            caminhoServidorDEFEnter();
        else if (widget == ui->caminhoExecutaveisDEF)
            caminhoExecutaveisDEFEnter();
        else if (widget == ui->caminhoCidadesRUV)
            caminhoCidadesRUVEnter();
        else if (widget == ui->caminhoDllFIRE)
            caminhoDllFIREEnter();
        break;
    case QEvent::FocusOut:
        if (!movidoPeloOperador(event))
            break;
        if (widget == ui->caminhoServidorRUV)
            caminhoServidorRUVExit();
        else if (widget == ui->caminhoServidorDEF)
            caminhoServidorDEFExit();
        else if (widget == ui->caminhoServidorANX)
            caminhoServidorANXExit();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TFParvelNovo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFParvelNovo::FormShow() {
    ui->PGD->tabBar()->hide();
    ui->PGD->setCurrentWidget(ui->tbConfigRUV);
    ui->LabelTitulo->setText(QStringLiteral("Configurações da Base de Dados do RUV - vrs.: ") +
                             VersaoExe());
    LeConfiguracao(QStringLiteral("LEITURA"));
    MostraCidades();
    ui->Memo5->clear();
    ui->pg->setCurrentWidget(ui->tb00);
}

void TFParvelNovo::LeConfiguracao(const QString& modo) {
    if (modo != u"LEITURA")
        return;
    const ProfileFile ini(ConfigFiles::ruvIni());
    const QString ruv = QStringLiteral("RUV");
    const QString anexo = QStringLiteral("RUV_ANEXO");
    const auto tipoConexao = [&](const QString& secao, const QString& chave, QLineEdit* endereco) {
        const int padrao = AlternateRules::defaultConnectionType(endereco->text());
        return AlternateRules::connectionTypeIndex(ini.readInteger(secao, chave, padrao));
    };
    const auto sistema = [&](const QString& secao, const QString& chave) {
        return AlternateRules::systemIndex(ini.readString(secao, chave, QStringLiteral("WINDOWS")));
    };

    ui->campoIpServRUV->setText(ini.readString(ruv, QStringLiteral("Servidor"), QString()));
    ui->caminhoServidorRUV->setText(
        ini.readString(ruv, QStringLiteral("Caminho_Base_Dados"), QString()));
    ui->caminhoCidadesRUV->setText(
        ini.readString(ruv, QStringLiteral("Caminho_Cidades"), QString()));
    ui->checkMultiEmpresa->setChecked(ProfileFile::fileExists(ConfigFiles::ruvDat()));
    ui->checkHabCadastrix->setChecked(
        !Apara(
             ini.readString(QStringLiteral("PUX"), QStringLiteral("Caminho_Base_Dados"), QString()))
             .isEmpty());
    selecionaItem(ui->comboSistOpeRUV, sistema(ruv, QStringLiteral("SO_Servidor")));
    selecionaItem(ui->comboConexaoRUV,
                  tipoConexao(ruv, QStringLiteral("Tipo_Conexao_Servidor"), ui->campoIpServRUV));

    ui->campoIpServDEF->setText(ini.readString(ruv, QStringLiteral("ServidorTabDef"), QString()));
    ui->caminhoServidorDEF->setText(
        ini.readString(ruv, QStringLiteral("Caminho_Tabdef"), QString()));
    ui->caminhoExecutaveisDEF->setText(
        ini.readString(ruv, QStringLiteral("Diretorio_Servidor"), QString()));
    selecionaItem(ui->comboSistOpeDEF, sistema(ruv, QStringLiteral("SO_ServidorTabDef")));
    selecionaItem(ui->comboConexaoDEF,
                  tipoConexao(ruv, QStringLiteral("Tipo_Conexao_TabDef"), ui->campoIpServDEF));

    ui->campoIpServANX->setText(ini.readString(anexo, QStringLiteral("Servidor"), QString()));
    ui->caminhoServidorANX->setText(
        ini.readString(anexo, QStringLiteral("Caminho_Base_Dados"), QString()));
    selecionaItem(ui->comboSistOpeANX, sistema(anexo, QStringLiteral("SO_Servidor")));
    selecionaItem(ui->comboConexaoANX,
                  tipoConexao(anexo, QStringLiteral("Tipo_Conexao_Servidor"), ui->campoIpServANX));

    ui->campoIPValidoAPL->setText(ini.readString(ruv, QStringLiteral("IPNET"), QString()));
    ui->campoIPServidorAPL->setText(ini.readString(ruv, QStringLiteral("IPDS"), QString()));
    ui->portaNTierAPL->setText(
        ini.readString(ruv, QStringLiteral("PORTADS"), QStringLiteral("3063")));
    ui->portaHttpAPL->setText(
        ini.readString(ruv, QStringLiteral("PORTADSHTTP"), QStringLiteral("6061")));
    selecionaItem(ui->comboConexaoAPL, AlternateRules::applicationConnectionIndex(ini.readString(
                                           ruv, QStringLiteral("DSLOCAL"), QString())));
    ui->caminhoDllFIRE->setText(ini.readString(ruv, QStringLiteral("CaminhoDLLCON"), QString()));
    ui->campoPortaFIRE->setText(
        ini.readString(ruv, QStringLiteral("PORTACON"), QStringLiteral("3055")));
}

void TFParvelNovo::comboConexaoRUVClick() {
    aplicaTipoConexao(ui->comboConexaoRUV, {{ui->campoIpServRUV, ui->btnTestaIpRUV}});
    ui->labStatusRUV->clear();
}

void TFParvelNovo::comboConexaoDEFClick() {
    aplicaTipoConexao(ui->comboConexaoDEF, {{ui->campoIpServDEF, ui->btnTestaIpDEF}});
    ui->labStatusDEF->clear();
}

void TFParvelNovo::comboConexaoANXClick() {
    aplicaTipoConexao(ui->comboConexaoANX, {{ui->campoIpServANX, ui->btnTestaIpANX}});
    ui->labStatusANX->clear();
}

void TFParvelNovo::comboConexaoAPLClick() {
    aplicaTipoConexao(ui->comboConexaoAPL, {{ui->campoIPValidoAPL, ui->btnTestaIPValidoAPL},
                                            {ui->campoIPServidorAPL, ui->btnTestaIPServidorAPL}});
    ui->labStatusIPValidoAPL->clear();
    ui->labStatusIPServidorAPL->clear();
}

void TFParvelNovo::aplicaTipoConexao(
    QComboBox* combo, std::initializer_list<std::pair<QLineEdit*, QToolButton*>> enderecos) {
    const bool rede = combo->currentIndex() == 1;
    for (const auto& [campo, teste] : enderecos)
        habilitaEndereco(campo, teste, rede);
}

void TFParvelNovo::MostraCidades() {
    ui->PanelCidades->setVisible(ui->checkMultiEmpresa->isChecked());
}

void TFParvelNovo::btnConfigRUVClick() {
    abrePagina(ui->tbConfigRUV, ui->btnConfigRUV);
}
void TFParvelNovo::btnConfigTabDefClick() {
    abrePagina(ui->tbConfigTabDEF, ui->btnConfigTabDef);
}
void TFParvelNovo::btnConfigAnexosClick() {
    abrePagina(ui->tbConfigAnexos, ui->btnConfigAnexos);
}
void TFParvelNovo::btnAplicacaoClick() {
    abrePagina(ui->tbAplicacao, ui->btnAplicacao);
}
void TFParvelNovo::btnFirebirdClick() {
    abrePagina(ui->tbFirebird, ui->btnFirebird);
}

// The navigation button holds the focus, though Tab passes it by: a click gives
// it, and a press from code takes it here. The field left runs its exit handler
// as for any other button, and the page switch never finds the focus inside a
// page, where Qt would hand it to the new page's first field and that field's
// enter handler would run unasked.
void TFParvelNovo::abrePagina(QWidget* pagina, QPushButton* botao) {
    botao->setFocus(Qt::OtherFocusReason);
    ui->PGD->setCurrentWidget(pagina);
    for (QPushButton* b : {ui->btnConfigRUV, ui->btnConfigTabDef, ui->btnConfigAnexos,
                           ui->btnAplicacao, ui->btnFirebird}) {
        const bool atual = b == botao;
        b->setIcon(atual ? marcaAtual : marcaOutra);
        QFont fonte = b->font();
        fonte.setBold(atual);
        b->setFont(fonte);
    }
}

void TFParvelNovo::caminhoServidorRUVEnter() {
    ui->pg->setCurrentWidget(ui->tbPastaLocal);
}
void TFParvelNovo::caminhoServidorDEFEnter() {
    ui->pg->setCurrentWidget(ui->tbPastaLocal);
}
void TFParvelNovo::caminhoExecutaveisDEFEnter() {
    ui->pg->setCurrentWidget(ui->tbPastaRede);
}
void TFParvelNovo::caminhoCidadesRUVEnter() {
    ui->pg->setCurrentWidget(ui->tbMultiEmpresa);
}
void TFParvelNovo::caminhoDllFIREEnter() {
    ui->pg->setCurrentWidget(ui->tbDLLCon);
}

void TFParvelNovo::caminhoServidorRUVExit() {
    adivinhaSistema(ui->caminhoServidorRUV, ui->comboSistOpeRUV);
}
void TFParvelNovo::caminhoServidorDEFExit() {
    adivinhaSistema(ui->caminhoServidorDEF, ui->comboSistOpeDEF);
}
void TFParvelNovo::caminhoServidorANXExit() {
    adivinhaSistema(ui->caminhoServidorANX, ui->comboSistOpeANX);
}

void TFParvelNovo::adivinhaSistema(const QLineEdit* caminho, QComboBox* sistema) {
    if (const auto indice = AlternateRules::systemFromFolder(caminho->text()))
        sistema->setCurrentIndex(*indice);
}

bool TFParvelNovo::FormKeyPress(int key) {
    if (key != Qt::Key_Escape)
        return false;
    ui->BitSair->click();
    return true;
}

// Enter and Down move on as Tab would, Up moves back. The key goes no further:
// handed on, Down would also change the item of the box just left.
bool TFParvelNovo::caminhoDllFIREKeyDown(QWidget* sender, int key) {
    const bool controlado = qobject_cast<QLineEdit*>(sender) ||
                            (sender == ui->comboSistOpeRUV || sender == ui->comboConexaoRUV ||
                             sender == ui->checkMultiEmpresa || sender == ui->checkHabCadastrix);
    if (!controlado)
        return false;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        return focusNextPrevChild(true);
    case Qt::Key_Up:
        return focusNextPrevChild(false);
    default:
        return false;
    }
}

void TFParvelNovo::BitSairClick() {
    dialogs().terminate();
}

void TFParvelNovo::TestaIP(const QString& endereco, QLabel* status) {
    if (!AlternateRules::isPingable(endereco))
        return;
    TFPing janela;
    AlvoPing = endereco;
    status->clear();
    status->setVisible(true);
    const bool respondeu = dialogs().execModal(janela) == 1;
    if (respondeu)
        pintaStatus(status, corSucesso, QStringLiteral("SUCESSO!"));
    else
        pintaStatus(status, corFalha, QStringLiteral("FALHOU..."));
}

void TFParvelNovo::btnTestaIpRUVClick() {
    TestaIP(ui->campoIpServRUV->text(), ui->labStatusRUV);
}
void TFParvelNovo::btnTestaIpDEFClick() {
    TestaIP(ui->campoIpServDEF->text(), ui->labStatusDEF);
}
void TFParvelNovo::btnTestaIpANXClick() {
    TestaIP(ui->campoIpServANX->text(), ui->labStatusANX);
}
void TFParvelNovo::btnTestaIPValidoAPLClick() {
    TestaIP(ui->campoIPValidoAPL->text(), ui->labStatusIPValidoAPL);
}
void TFParvelNovo::btnTestaIPServidorAPLClick() {
    TestaIP(ui->campoIPServidorAPL->text(), ui->labStatusIPServidorAPL);
}

void TFParvelNovo::checkHabCadastrixClick() {
    if (!ui->checkHabCadastrix->isChecked())
        return;
    const QString aviso =
        PuxInstallation::missingInstallationWarning(ui->caminhoExecutaveisDEF->text());
    if (aviso.isEmpty())
        return;
    dialogs().warningDialog(aviso);
    ui->checkHabCadastrix->setChecked(false);
}

void TFParvelNovo::checkMultiEmpresaClick() {
    ui->pg->setCurrentWidget(ui->tbMultiEmpresa);
    MostraCidades();
    if (!ui->checkMultiEmpresa->isChecked())
        ui->caminhoCidadesRUV->clear();
    else if (TiraEspacos(ui->caminhoCidadesRUV->text()).isEmpty())
        ui->caminhoCidadesRUV->setText(ui->caminhoServidorRUV->text());
}

// The picker opens at the root of the system's drive ("C:\" on Windows); on Linux,
// where a drive letter means nothing, at "/". The folder shown afterwards keeps
// the system's separators ("/srv/dados/").
void TFParvelNovo::BitBtn4Click() {
    const auto arquivo = dialogs().pickOpenFile(
        {{QStringLiteral("Banco de Dados Firebird"), QStringLiteral("*.FDB")}},
        QDir::toNativeSeparators(QDir::rootPath()));
    if (!arquivo)
        return;
    ui->caminhoServidorANX->setText(Apara(PastaDoArquivo(*arquivo)));
}
