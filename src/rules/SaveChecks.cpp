#include "rules/SaveChecks.h"

#include "config/ProfileFile.h"
#include "funcoes/Platform.h"
#include "funcoes/PortNumber.h"
#include "funcoes/funcoes.h"

#include <QFileInfo>

const QString SaveChecks::textoDllNaoInformada =
    QStringLiteral("Caminho da DLL de Conexão Precisa ser Informada.");

namespace {

bool pastaExiste(const QString& pasta) {
    return QFileInfo(pasta).isDir();
}

bool vazio(const QString& texto) {
    return Apara(texto).isEmpty();
}

} // namespace

QString SaveChecks::separador(const SaveSettings& s) {
    return s.sistemaBanco == QLatin1String("WINDOWS") ? QStringLiteral("\\") : QStringLiteral("/");
}

// The local folders can only be looked at from a Windows database server, the
// shared folder and the client library from here. The TABDEF folder follows the
// database server's system, as it always has.
std::optional<SaveChecks::Falha> SaveChecks::pastas(const SaveSettings& s) {
    const bool windows = s.sistemaBanco == QLatin1String("WINDOWS");
    if (vazio(s.servidor) && windows && !pastaExiste(s.pastaBanco))
        return Falha{Campo::PastaBanco,
                     QStringLiteral("Diretório Local do Banco de Dados Inválido.")};
    if (vazio(s.servidorTabdef) && windows && !pastaExiste(s.pastaTabdef))
        return Falha{Campo::PastaTabdef, QStringLiteral("Diretório Local do TABDEF Inválido.")};
    if (!vazio(s.pastaRede) && !pastaExiste(s.pastaRede))
        return Falha{Campo::PastaRede,
                     QStringLiteral("Diretório Compartilhado no Servidor Inválido.")};
    if (vazio(s.pastaDll))
        return Falha{Campo::DllNaoInformada, textoDllNaoInformada};
    if (const auto ausente = dllAusente(s.pastaDll))
        return Falha{Campo::Dll, *ausente};
    if (s.integra == QLatin1String("S") && vazio(s.caminhoInteg))
        return Falha{Campo::Integracao,
                     QStringLiteral("A integração com o sistema de controle interno está "
                                    "habilitado mais o caminho não foi definido.\rÉ obrigatório "
                                    "informar um caminho.")};
    return std::nullopt;
}

std::optional<QString> SaveChecks::dllAusente(const QString& pastaDll) {
    if (ProfileFile::fileExists(
            platform::clientLibraryFile(Apara(pastaDll), QStringLiteral("fbclient.dll"))))
        return std::nullopt;
    return QStringLiteral("O Arquivo fbclient.dll não foi localizado em ") + Apara(pastaDll) +
           QStringLiteral("\rAtualize o BPL ou entre em contato com seu Representante.");
}

std::optional<QString> SaveChecks::cidades(QString& pastaCidades, const QString& separador) {
    if (vazio(pastaCidades))
        return QStringLiteral("A Opção (Multi-Empresa) encontra-se marcada, porém o caminho da "
                              "pasta CIDADES está em branco.\rFavor informar o caminho!");
    if (UltimosCaracteres(pastaCidades, 1) != separador)
        pastaCidades += separador;
    if (!pastaExiste(Apara(pastaCidades)))
        return QStringLiteral("O diretório informado no caminho da pasta CIDADES é inválido.\r"
                              "Favor informar o caminho correto!");
    if (SegmentoDoFim(pastaCidades, separador, 1).toUpper() != QLatin1String("CIDADES"))
        return QStringLiteral("Para a opção Multi-Empresa o diretório informado precisa ser a "
                              "pasta CIDADES.\rFavor informar o caminho correto!");
    return std::nullopt;
}

std::optional<QString> SaveChecks::porta(const QString& porta) {
    if (PortNumber::parse(porta))
        return std::nullopt;
    return PortNumber::refusal(porta);
}
