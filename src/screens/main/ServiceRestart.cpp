#include "screens/main/ServiceRestart.h"

#include "firebird/PortRewrite.h"
#include "funcoes/AppError.h"
#include "funcoes/Platform.h"
#include "funcoes/PortNumber.h"
#include "funcoes/funcoes.h"
#include "ui/DialogService.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHostAddress>
#include <QSet>
#include <QTcpSocket>

namespace {

constexpr int janelaOculta = 0;
// Loopback refuses or accepts at once; the bound is for a firewall that drops.
constexpr int limiteConexaoMs = 2000;

struct Comando {
    const char* nome;
    const char* aviso;
};

const Comando parar{"stop", "Aguarde... Parando o serviço do Firebird..."};
const Comando iniciar{"start", "Aguarde... Iniciando o serviço do Firebird..."};

const QString nadaGravado = QStringLiteral("O arquivo \"ruv.ini\" não foi alterado.");

// The service tool, beside the client library.
QString ferramentaEm(const QString& pastaDll) {
    return pastaDll + QStringLiteral("instsvc.exe");
}

std::optional<bool> direitosDeTeste;
std::optional<int> limiteDeTeste;

bool temDireitos(const QString& conf, bool mantemServico) {
    if (direitosDeTeste)
        return *direitosDeTeste;
    return (mantemServico || platform::mayControlServices()) && !platform::writeRefused(conf);
}

// As the tester reaches it: this machine, the port of the settings.
bool aceitaConexoes(quint16 porta) {
    QTcpSocket conexao;
    conexao.connectToHost(QHostAddress(QHostAddress::LocalHost), porta);
    return conexao.waitForConnected(limiteConexaoMs);
}

// One restart: every step is seen to end before the next begins, and every way
// out says whether the server runs and on which port.
class Reinicio {
public:
    Reinicio(const QString& pastaDll, const PortRewrite& reescrita,
             const ServiceRestart::Notice& notice, int timeoutMs)
        : m_pasta(pastaDll), m_ferramenta(ferramentaEm(pastaDll)), m_reescrita(reescrita),
          m_notice(notice), m_limiteMs(timeoutMs) {}

    bool executa() {
        const quint16 antiga = m_reescrita.oldPort();
        const QString parada = servico(parar);
        if (!parada.isEmpty() || aceitaConexoes(antiga)) {
            // A server that may still run keeps its file: a port rewritten now would
            // take effect at some later start that nobody watches.
            QString motivo = parada;
            if (motivo.isEmpty())
                motivo = QStringLiteral("O serviço do Firebird respondeu ao comando stop, mas o "
                                        "servidor continua aceitando conexões na porta %1.")
                             .arg(antiga);
            return termina(motivo + u'\r' + retoma(antiga) + u'\r' + nadaGravado);
        }
        WriteError recusa;
        if (!m_reescrita.write(&recusa))
            return termina(recusa.text(m_reescrita.file()) + u'\r' + retoma(antiga) + u'\r' +
                           nadaGravado);
        registra(m_reescrita.description());
        const QString partida = servico(iniciar);
        if (partida.isEmpty())
            return true;
        return termina(partida + u'\r' + desfaz() + u'\r' + nadaGravado);
    }

    // The box; the message log gets those of its sentences it has not had yet.
    bool termina(const QString& texto) {
        for (const QString& linha : texto.split(u'\r')) {
            if (!m_registradas.contains(linha))
                registra(linha);
        }
        dialogs().warningBox(texto);
        return false;
    }

private:
    void registra(const QString& linha) {
        m_registradas.insert(linha);
        m_notice(linha);
    }

    // Runs one command within the bound while the windows keep painting (only
    // painting and timers: a click cannot start a second save). Empty when it
    // ended with status 0, else why not.
    QString servico(const Comando& comando) {
        m_notice(QString::fromUtf8(comando.aviso));
        const auto pinta = [] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        pinta();
        int codigo = 0;
        const QString nome = QString::fromLatin1(comando.nome);
        QString motivo;
        switch (ExecutaProgramaComLimite(m_ferramenta, nome, janelaOculta, m_limiteMs, pinta,
                                         &codigo)) {
        case platform::ProcessEnd::NotStarted:
            motivo = QStringLiteral("Não foi possível executar \"%1\" %2.").arg(m_ferramenta, nome);
            break;
        case platform::ProcessEnd::StillRunning:
            motivo = QStringLiteral("O serviço do Firebird não concluiu o comando %1 em %2 "
                                    "segundos.")
                         .arg(nome)
                         .arg(m_limiteMs / 1000);
            break;
        case platform::ProcessEnd::Ended:
            if (codigo != 0)
                motivo = QStringLiteral("O comando %1 do serviço do Firebird falhou (código de "
                                        "saída %2).")
                             .arg(nome)
                             .arg(codigo);
            break;
        }
        if (!motivo.isEmpty())
            registra(motivo);
        return motivo;
    }

    // With "firebird.conf" as it was: a server still running is left alone, one
    // that is down is started again.
    QString retoma(quint16 porta) {
        if (aceitaConexoes(porta))
            return QStringLiteral("O servidor Firebird continua em execução na porta %1.")
                .arg(porta);
        return inicia(porta);
    }

    // "start" failed with the new port: the old file back, then "start" once more.
    QString desfaz() {
        WriteError recusa;
        if (!m_reescrita.restore(&recusa))
            return recusa.text(m_reescrita.file()) + u'\r' + parado(m_reescrita.newPort());
        const QString devolvido =
            QStringLiteral("O arquivo \"%1\" voltou a ser como era, com a porta %2, e o comando "
                           "start foi enviado mais uma vez.")
                .arg(m_reescrita.file())
                .arg(m_reescrita.oldPort());
        registra(devolvido);
        return devolvido + u'\r' + inicia(m_reescrita.oldPort());
    }

    QString inicia(quint16 porta) {
        const QString partida = servico(iniciar);
        if (!partida.isEmpty())
            return partida + u'\r' + parado(porta);
        if (!aceitaConexoes(porta))
            return QStringLiteral("O serviço do Firebird foi iniciado, mas o servidor não aceita "
                                  "conexões na porta %1.")
                       .arg(porta) +
                   u'\r' + parado(porta);
        return QStringLiteral("O servidor Firebird foi iniciado novamente e está em execução na "
                              "porta %1.")
            .arg(porta);
    }

    QString parado(quint16 porta) const {
        return QStringLiteral(
                   "O servidor Firebird está parado: nenhuma estação alcança os bancos de dados "
                   "até que ele volte. Inicie o serviço do Firebird (em Serviços do Windows, ou "
                   "com \"instsvc.exe start\" na pasta \"%1\"); ele usará a porta %2 do arquivo "
                   "\"%3\". Se não iniciar, veja o firebird.log da instalação.")
            .arg(m_pasta)
            .arg(porta)
            .arg(m_reescrita.file());
    }

    QString m_pasta;
    QString m_ferramenta;
    const PortRewrite& m_reescrita;
    const ServiceRestart::Notice& m_notice;
    int m_limiteMs;
    QSet<QString> m_registradas;
};

} // namespace

bool ServiceRestart::run(const QString& pastaDll, const QString& porta, bool keepService,
                         const Notice& notice) {
    const std::optional<quint16> numero = PortNumber::parse(porta);
    if (!numero)
        throw AppError(PortNumber::refusal(porta));
    const PortRewrite reescrita(pastaDll, *numero);
    Reinicio reinicio(pastaDll, reescrita, notice, limiteDeTeste.value_or(limitMs));
    const QString intocado =
        keepService ? QStringLiteral("Nada foi alterado.")
                    : QStringLiteral("O serviço do Firebird não foi parado e nada foi alterado.");
    // Everything that can be known before the service is touched. A read-only
    // file is no matter of rights: running as administrator would not help.
    if (!reescrita.refusal().isEmpty())
        return reinicio.termina(reescrita.refusal() + u'\r' + intocado);
    if (!temDireitos(reescrita.file(), keepService)) {
        dialogs().warningBox(
            QStringLiteral("Para reiniciar o serviço do Firebird e alterar a porta em \"%1\", o "
                           "Parvel precisa ser executado como administrador.\rFeche o Parvel e "
                           "abra-o com \"Executar como administrador\". Nada foi alterado.")
                .arg(reescrita.file()));
        return false;
    }
    const QString ferramenta = ferramentaEm(pastaDll);
    if (!keepService && !QFileInfo(ferramenta).isFile())
        return reinicio.termina(
            QStringLiteral("O programa de serviço do Firebird \"%1\" não foi encontrado.")
                .arg(ferramenta) +
            u'\r' + intocado);
    if (!keepService)
        return reinicio.executa();
    WriteError recusa;
    if (!reescrita.write(&recusa))
        return reinicio.termina(recusa.text(reescrita.file()) + u'\r' + intocado);
    notice(reescrita.description());
    return true;
}

void ServiceRestart::setRightsForTesting(std::optional<bool> granted) {
    direitosDeTeste = granted;
}

void ServiceRestart::setLimitForTesting(std::optional<int> milliseconds) {
    limiteDeTeste = milliseconds;
}
