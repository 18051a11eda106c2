#include "check/ConfigurationCheck.h"

#include "config/ProfileFile.h"
#include "funcoes/funcoes.h"
#include "rules/SaveChecks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

const QString secaoRuv = QStringLiteral("RUV");
const QString secaoAnexo = QStringLiteral("RUV_ANEXO");
const QString arquivoDll = QStringLiteral("fbclient.dll");

// As the main screen shows a stored system: Windows only when stored exactly so.
QString sistema(const QString& valor) {
    return valor == QLatin1String("WINDOWS") ? valor : QStringLiteral("LINUX");
}

// A failed check's box text on one line.
QString umaLinha(const QString& texto) {
    return QString(texto).replace(u'\r', u' ');
}

} // namespace

ConfigurationCheck::Resultado
ConfigurationCheck::run(const QString& ini, const std::function<void(const QString&)>& escreve) {
    Resultado resultado{QDir::toNativeSeparators(QFileInfo(ini).absoluteFilePath())};
    if (const auto motivo = ilegivel(ini)) {
        resultado.status = Ilegivel;
        resultado.resumo = *motivo;
        return resultado;
    }
    Leitura leitura = le(ini);
    QElapsedTimer relogio;
    relogio.start();
    const auto falha = verifica(leitura);
    resultado.passos << ConnectionProof::Passo{QStringLiteral("verificacao"),
                                               QDir::toNativeSeparators(ini), !falha,
                                               falha.value_or(QString()), relogio.elapsed()};
    if (falha) {
        escreve(*falha);
        resultado.resumo = QStringLiteral("VERIFICAÇÃO FALHOU.");
        return resultado;
    }
    ConnectionProof prova(principal(leitura.s), ConnectionProof::UsuarioAusente::Falha, escreve);
    bool provou = prova.principal();
    resultado.passos << prova.passos();
    if (provou && leitura.anexos) {
        ConnectionProof anexos(*leitura.anexos, ConnectionProof::UsuarioAusente::Falha, escreve);
        provou = anexos.anexos();
        resultado.passos << anexos.passos();
    }
    resultado.status = provou ? Provada : Falhou;
    resultado.resumo = provou ? QStringLiteral("CONEXÃO ESTABELECIDA COM SUCESSO.")
                              : QStringLiteral("CONEXÃO FALHOU.");
    return resultado;
}

// A file that cannot be read, or that names no database, leaves nothing to prove.
std::optional<QString> ConfigurationCheck::ilegivel(const QString& ini) {
    QFile arquivo(ini);
    if (!QFileInfo(ini).isFile() || !arquivo.open(QIODevice::ReadOnly))
        return QStringLiteral("O arquivo \"%1\" não pode ser lido.").arg(ini);
    const ProfileFile perfil(ini);
    const auto vazia = [&perfil](const char* chave) {
        return Apara(perfil.readString(secaoRuv, QString::fromLatin1(chave), QString())).isEmpty();
    };
    if (vazia("Caminho_Base_Dados") && vazia("Caminho_Tabdef"))
        return QStringLiteral("O arquivo \"%1\" não indica nenhum banco de dados para testar.")
            .arg(ini);
    return std::nullopt;
}

// Read as the main screen fills its fields from the file; the multi-company copy
// is looked for beside the file.
ConfigurationCheck::Leitura ConfigurationCheck::le(const QString& ini) {
    const ProfileFile perfil(ini);
    const auto ler = [&perfil](const QString& secao, const char* chave, const QString& padrao) {
        return perfil.readString(secao, QString::fromLatin1(chave), padrao);
    };
    Leitura l;
    SaveSettings& s = l.s;
    s.servidor = ler(secaoRuv, "Servidor", QString());
    s.servidorTabdef = ler(secaoRuv, "ServidorTabDef", s.servidor);
    s.sistemaBanco = sistema(ler(secaoRuv, "SO_Servidor", QString()));
    s.sistemaTabdef = sistema(ler(secaoRuv, "SO_ServidorTabDef", s.sistemaBanco));
    s.pastaDll = ler(secaoRuv, "CaminhoDLLCON", QString());
    s.porta = ler(secaoRuv, "PORTACON", QStringLiteral("3055"));
    s.pastaBanco = ler(secaoRuv, "Caminho_Base_Dados", QString());
    s.pastaTabdef = ler(secaoRuv, "Caminho_Tabdef", QString());
    s.pastaRede = ler(secaoRuv, "Diretorio_Servidor", QString());
    s.pastaCidades = ler(secaoRuv, "Caminho_Cidades", QString());
    s.integra = Apara(ler(secaoRuv, "HAB_INTEGRA_CONTINTERNO", QString())) == QLatin1String("S")
                    ? QStringLiteral("S")
                    : QStringLiteral("N");
    s.caminhoInteg = ler(secaoRuv, "CAMINHO_INTEGRA_CONTINTERNO", QString());
    l.multiEmpresa = ProfileFile::fileExists(QFileInfo(ini).absoluteDir().filePath("ruv.dat"));
    const QString pastaAnexo = ler(secaoAnexo, "Caminho_Base_Dados", QString());
    if (!Apara(pastaAnexo).isEmpty()) {
        const QString servidor = ler(secaoAnexo, "Servidor", s.servidor);
        const QString sistemaAnexo = sistema(ler(secaoAnexo, "SO_Servidor", s.sistemaBanco));
        l.anexos = ConnectionParameters{servidor,
                                        servidor,
                                        pastaAnexo,
                                        pastaAnexo,
                                        sistemaAnexo,
                                        sistemaAnexo,
                                        ler(secaoAnexo, "CaminhoDLLCON", s.pastaDll),
                                        arquivoDll,
                                        ler(secaoAnexo, "PORTACON_ANX", s.porta)};
    }
    return l;
}

// The main save's checks, in its order; the first failure's text.
std::optional<QString> ConfigurationCheck::verifica(Leitura& leitura) {
    if (const auto falha = SaveChecks::pastas(leitura.s))
        return umaLinha(falha->texto);
    if (const auto recusa = SaveChecks::porta(leitura.s.porta))
        return *recusa;
    if (!leitura.multiEmpresa)
        return std::nullopt;
    const auto falha =
        SaveChecks::cidades(leitura.s.pastaCidades, SaveChecks::separador(leitura.s));
    return falha ? std::optional(umaLinha(*falha)) : std::nullopt;
}

ConnectionParameters ConfigurationCheck::principal(const SaveSettings& s) {
    return {s.servidor,      s.servidorTabdef, s.pastaBanco, s.pastaTabdef, s.sistemaBanco,
            s.sistemaTabdef, s.pastaDll,       arquivoDll,   s.porta};
}
