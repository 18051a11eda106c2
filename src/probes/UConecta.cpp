#include "probes/UConecta.h"

#include "firebird/FirebirdError.h"
#include "firebird/FirebirdSession.h"
#include "funcoes/Platform.h"
#include "probes/ConnectionTexts.h"
#include "ui_UConecta.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScreen>

QString ConEnderecoBanco;
QString ConEnderecoTabdef;
QString ConPastaBanco;
QString ConPastaTabdef;
QString ConPastaRede;
QString ConSistemaBanco;
QString ConSistemaTabdef;
QString ConPastaDll;
QString ConArquivoDll;
QString ConPorta;
int ConContadorLegenda = 0;

TFConecta* FConecta = nullptr;

namespace {

using namespace std::chrono_literals;

// Whatever a server does (silent, trickling bytes, sending keep-alives, paused
// mid-conversation), each call into the client library ends within the call
// bound and the whole test within the test bound. The client's own connect
// time-out bounds only the wait between two bytes; it is set past the call bound
// so that the reason logged is the tester's, and frees a call given up on.
constexpr std::chrono::milliseconds limiteChamada = 15s;
constexpr std::chrono::milliseconds limiteTeste = 45s;
constexpr int esperaDoCliente = 20;

const QString usuarioAplicacao = QStringLiteral("TOMRUV");
const QString senhaAplicacao = QStringLiteral("pelmor");
const FirebirdLogin administrador{QStringLiteral("SYSDBA"), QStringLiteral("brindoval"),
                                  esperaDoCliente};
const FirebirdLogin aplicacao{usuarioAplicacao, senhaAplicacao, esperaDoCliente};

QString bibliotecaCliente() {
    return platform::clientLibraryFile(ConPastaDll, ConArquivoDll);
}

} // namespace

TFConecta::TFConecta(QPlainTextEdit& log, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TFConecta>()), Memo5(log) {
    ui->setupUi(this);
    setFixedSize(size());
    Timer1.setObjectName("Timer1");
    Timer2.setObjectName("Timer2");
    for (QTimer* timer : {&Timer1, &Timer2}) {
        timer->setParent(this);
        timer->setInterval(1000);
    }
    connect(&Timer1, &QTimer::timeout, this, &TFConecta::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &TFConecta::Timer2Timer);
    FormCreate();
}

TFConecta::~TFConecta() = default;

void TFConecta::reject() {}

void TFConecta::FormCreate() {
    FazAnexo = false;
}

void TFConecta::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* tela = screen())
        move(tela->availableGeometry().center() - rect().center());
    FormShow();
}

void TFConecta::FormShow() {
    ui->Label1->setText("Conectando");
    QApplication::processEvents();
    Timer2.start();
    ConContadorLegenda = 0;
    Timer1.start();
}

void TFConecta::Timer1Timer() {
    Timer1.stop();
    const bool conectou = FazAnexo ? TestaConexaoANX() : TestaConexao();
    done(conectou ? 1 : 2);
    Timer2.stop();
}

void TFConecta::Timer2Timer() {
    ConContadorLegenda += 1;
    ui->Label1->setText("Conectando" + QString(ConContadorLegenda, QLatin1Char('.')));
    if (ConContadorLegenda == 5)
        ConContadorLegenda = 0;
    ui->Label1->repaint();
}

bool TFConecta::TestaConexao() {
    comecaTeste();
    if (!provisionaUsuario())
        return false;
    if (!conecta(ConnectionTexts::bancoPrincipal(ConEnderecoBanco, ConPorta, ConPastaBanco,
                                                 ConSistemaBanco),
                 false))
        return false;
    if (!fechaConexao())
        return false;
    if (!conecta(ConnectionTexts::bancoTabdef(ConEnderecoTabdef, ConPorta, ConPastaTabdef,
                                              ConSistemaTabdef),
                 true))
        return false;
    mostraInicioDoLog();
    return fechaConexao();
}

bool TFConecta::TestaConexaoANX() {
    Memo5.clear();
    comecaTeste();
    if (!provisionaUsuario())
        return false;
    if (!conecta(ConnectionTexts::bancoAnexos(ConEnderecoBanco, ConPorta, ConPastaBanco,
                                              ConSistemaBanco),
                 false))
        return false;
    if (!fechaConexao())
        return false;
    mostraInicioDoLog();
    return fechaConexao();
}

void TFConecta::comecaTeste() {
    escreve("Aguarde... Verificando Usuário...");
    Memo5.repaint();
    m_sessao = std::make_unique<FirebirdSession>(bibliotecaCliente(), limiteChamada, limiteTeste);
}

// The user is looked up, and created when missing, on the database server only,
// through the same client library as the connections.
bool TFConecta::provisionaUsuario() {
    const QString servico = ConnectionTexts::gerenciadorServicos(ConEnderecoBanco, ConPorta);
    try {
        if (!m_sessao->users(servico, administrador).contains(usuarioAplicacao))
            m_sessao->addUser(servico, administrador, usuarioAplicacao, senhaAplicacao);
        return true;
    } catch (const FirebirdError& erro) {
        escreve(ConnectionTexts::linhaMotivo(erro.text()));
        return false;
    }
}

bool TFConecta::conecta(const QString& conexao, bool tabdef) {
    if (!fechaConexao())
        return false;
    QElapsedTimer relogio;
    relogio.start();
    try {
        m_sessao->openDatabase(conexao, aplicacao);
    } catch (const FirebirdError& erro) {
        for (const QString& linha : ConnectionTexts::linhasFalha(conexao))
            escreve(linha);
        escreve(ConnectionTexts::linhaMotivo(erro.text()));
        return false;
    }
    escreve(ConnectionTexts::linhaConectado(conexao, relogio.elapsed(), tabdef));
    return true;
}

// A close that fails or does not end in time ends the test too: the server
// stopped answering.
bool TFConecta::fechaConexao() {
    try {
        m_sessao->closeDatabase();
        return true;
    } catch (const FirebirdError& erro) {
        escreve(ConnectionTexts::linhaMotivo(erro.text()));
        return false;
    }
}

void TFConecta::mostraInicioDoLog() {
    Memo5.moveCursor(QTextCursor::Start);
    Memo5.ensureCursorVisible();
}

void TFConecta::escreve(const QString& linha) {
    Memo5.appendPlainText(linha);
}
