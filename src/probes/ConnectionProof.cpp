#include "probes/ConnectionProof.h"

#include "firebird/FirebirdError.h"
#include "firebird/FirebirdSession.h"
#include "funcoes/Platform.h"
#include "funcoes/funcoes.h"
#include "probes/ConnectionAdvice.h"
#include "probes/ConnectionTexts.h"
#include "probes/PortHint.h"

#include <QElapsedTimer>

namespace {

// The client's own connect time-out bounds only the wait between two bytes; it
// is set past the call bound so that the reason logged is the test's, and frees
// a call given up on.
constexpr int esperaDoCliente = 20;

const QString usuarioAplicacao = QStringLiteral("TOMRUV");
const QString senhaAplicacao = QStringLiteral("pelmor");
const FirebirdLogin administrador{QStringLiteral("SYSDBA"), QStringLiteral("brindoval"),
                                  esperaDoCliente};
const FirebirdLogin aplicacao{usuarioAplicacao, senhaAplicacao, esperaDoCliente};

const QString prefixoMotivo = QStringLiteral("Motivo: ");

} // namespace

ConnectionProof::ConnectionProof(const ConnectionParameters& parametros,
                                 UsuarioAusente usuarioAusente,
                                 std::function<void(const QString&)> escreve)
    : m_p(parametros), m_usuarioAusente(usuarioAusente), m_escreve(std::move(escreve)) {}

ConnectionProof::~ConnectionProof() = default;

bool ConnectionProof::principal() {
    return comeca() && usuario() &&
           conecta(QStringLiteral("principal"),
                   ConnectionTexts::bancoPrincipal(m_p.enderecoBanco, m_p.porta, m_p.pastaBanco,
                                                   m_p.sistemaBanco),
                   m_p.enderecoBanco, false) &&
           conecta(QStringLiteral("tabdef"),
                   ConnectionTexts::bancoTabdef(m_p.enderecoTabdef, m_p.porta, m_p.pastaTabdef,
                                                m_p.sistemaTabdef),
                   m_p.enderecoTabdef, true);
}

bool ConnectionProof::anexos() {
    return comeca() && usuario() &&
           conecta(QStringLiteral("anexos"),
                   ConnectionTexts::bancoAnexos(m_p.enderecoBanco, m_p.porta, m_p.pastaBanco,
                                                m_p.sistemaBanco),
                   m_p.enderecoBanco, false);
}

// The library is loaded on its own, first, so that a report names it when it
// cannot be; the log says nothing of it unless it fails.
bool ConnectionProof::comeca() {
    m_escreve(QStringLiteral("Aguarde... Verificando Usuário..."));
    m_fim = QDeadlineTimer(limiteTeste, Qt::PreciseTimer);
    Passo passo{QStringLiteral("biblioteca"),
                platform::clientLibraryFile(m_p.pastaDll, m_p.arquivoDll)};
    m_sessao = std::make_unique<FirebirdSession>(passo.alvo, limiteChamada, limiteTeste);
    QElapsedTimer relogio;
    relogio.start();
    try {
        m_sessao->loadLibrary();
    } catch (const FirebirdError& erro) {
        return falhou(passo, relogio.elapsed(), erro, std::nullopt, usuarioAplicacao);
    }
    return passou(passo, relogio.elapsed());
}

// The user is looked up on the database server only, through the same client
// library as the connections.
bool ConnectionProof::usuario() {
    Passo passo{QStringLiteral("usuario"),
                ConnectionTexts::gerenciadorServicos(m_p.enderecoBanco, m_p.porta)};
    QElapsedTimer relogio;
    relogio.start();
    try {
        if (!m_sessao->users(passo.alvo, administrador).contains(usuarioAplicacao)) {
            if (m_usuarioAusente == UsuarioAusente::Falha)
                throw FirebirdError(QStringLiteral("O usuário \"%1\" não existe no servidor.")
                                        .arg(usuarioAplicacao));
            m_sessao->addUser(passo.alvo, administrador, usuarioAplicacao, senhaAplicacao);
        }
    } catch (const FirebirdError& erro) {
        if (m_usuarioAusente == UsuarioAusente::Cria || !erro.status().has(isc_login))
            return falhou(passo, relogio.elapsed(), erro, m_p.enderecoBanco, administrador.user);
        passo.aviso = QStringLiteral("o servidor recusou o %1 com a senha padrão: o usuário %2 "
                                     "não pôde ser conferido")
                          .arg(administrador.user, usuarioAplicacao);
        m_escreve(QStringLiteral("Aviso: ") + passo.aviso);
    }
    return passou(passo, relogio.elapsed());
}

bool ConnectionProof::conecta(const QString& nome, const QString& conexao, const QString& endereco,
                              bool tabdef) {
    Passo passo{nome, conexao};
    QElapsedTimer relogio;
    relogio.start();
    try {
        m_sessao->openDatabase(conexao, aplicacao);
    } catch (const FirebirdError& erro) {
        const qint64 milissegundos = relogio.elapsed();
        for (const QString& linha : ConnectionTexts::linhasFalha(conexao))
            m_escreve(linha);
        return falhou(passo, milissegundos, erro, endereco, usuarioAplicacao);
    }
    m_escreve(ConnectionTexts::linhaConectado(conexao, relogio.elapsed(), tabdef));
    // A close that fails or does not end in time ends the test too: the server
    // stopped answering.
    try {
        m_sessao->closeDatabase();
    } catch (const FirebirdError& erro) {
        return falhou(passo, relogio.elapsed(), erro, std::nullopt, usuarioAplicacao);
    }
    return passou(passo, relogio.elapsed());
}

bool ConnectionProof::passou(Passo passo, qint64 milissegundos) {
    passo.passou = true;
    passo.milissegundos = milissegundos;
    m_passos << passo;
    return true;
}

// After the client's text, what the technician can do about it.
bool ConnectionProof::falhou(Passo passo, qint64 milissegundos, const FirebirdError& erro,
                             const std::optional<QString>& endereco, const QString& usuario) {
    passo.milissegundos = milissegundos;
    QString motivo = erro.text();
    if (const QString dica = conselho(erro, endereco, usuario); !dica.isEmpty())
        motivo += u'\n' + dica;
    const QString linha = ConnectionTexts::linhaMotivo(motivo);
    m_escreve(linha);
    passo.motivo = linha.mid(prefixoMotivo.size());
    m_passos << passo;
    return false;
}

// A server that refused gets the cause and remedy its error codes name; one that
// could not be reached, the hint of the port it answers on when its configured
// port refuses, within what is left of the call's and the test's bounds.
QString ConnectionProof::conselho(const FirebirdError& erro, const std::optional<QString>& endereco,
                                  const QString& usuario) const {
    if (!erro.networkFailure())
        return ConnectionAdvice::para(erro.status(), usuario);
    if (!endereco)
        return {};
    const QString servidor =
        ConnectionTexts::temEndereco(*endereco) ? Apara(*endereco) : QStringLiteral("localhost");
    const QDeadlineTimer chamada(limiteChamada, Qt::PreciseTimer);
    return PortHint::para(servidor, m_p.porta, std::min(chamada, m_fim),
                          [&](quint16 porta, const QDeadlineTimer& prazo) {
                              return m_sessao->serverAnswers(ConnectionTexts::gerenciadorServicos(
                                                                 servidor, QString::number(porta)),
                                                             administrador, prazo);
                          });
}
