#include "screens/main/SaveTable.h"

#include "config/ConfigRules.h"

#include <algorithm>
#include <vector>

namespace {

// One row: where the entry goes and its position in each file's write sequence
// (0: not written to that file).
struct Row {
    const char* section;
    const char* key;
    QString (*value)(const SaveSettings&);
    int ini;
    int dat;
};

QString paraPux(const SaveSettings& s, const QString& valor) {
    return s.pux ? valor : QString();
}

const Row linhasPrincipal[] = {
    {"RUV", "Servidor", [](const SaveSettings& s) { return s.servidor; }, 1, 1},
    {"RUV", "ServidorTabDef", [](const SaveSettings& s) { return s.servidorTabdef; }, 2, 2},
    {"RUV", "SO_Servidor", [](const SaveSettings& s) { return s.sistemaBanco; }, 3, 3},
    {"RUV", "SO_ServidorTabDef", [](const SaveSettings& s) { return s.sistemaTabdef; }, 4, 4},
    {"RUV", "Caminho_Base_Dados", [](const SaveSettings& s) { return s.pastaBanco; }, 5, 5},
    {"RUV", "Caminho_TabDef", [](const SaveSettings& s) { return s.pastaTabdef; }, 6, 6},
    {"RUV", "Caminho_Cidades", [](const SaveSettings& s) { return s.pastaCidades; }, 7, 8},
    {"RUV", "Diretorio_Servidor", [](const SaveSettings& s) { return s.pastaRede; }, 8, 7},
    {"RUV", "CaminhoDLLCON", [](const SaveSettings& s) { return s.pastaDll; }, 9, 9},
    {"RUV", "DLLCON", [](const SaveSettings& s) { return ConfigRules::nomeDllCon(s.pastaDll); }, 10,
     10},
    {"RUV", "PORTACON", [](const SaveSettings& s) { return s.porta; }, 11, 11},
    {"RUV", "IPDS", [](const SaveSettings& s) { return s.ipNtier; }, 12, 12},
    {"RUV", "PORTADS", [](const SaveSettings& s) { return s.portaNtier; }, 13, 13},
    {"RUV", "IPNET", [](const SaveSettings& s) { return s.ipNet; }, 14, 14},
    {"RUV", "PORTADSHTTP", [](const SaveSettings& s) { return s.portaHttp; }, 15, 15},
    {"RUV", "DSLOCAL", [](const SaveSettings& s) { return s.dsLocal; }, 16, 0},
    {"PUX", "Servidor", [](const SaveSettings& s) { return paraPux(s, s.servidor); }, 17, 0},
    {"PUX", "SO_Servidor", [](const SaveSettings& s) { return paraPux(s, s.sistemaBanco); }, 18, 0},
    {"PUX", "Caminho_Base_Dados",
     [](const SaveSettings& s) { return paraPux(s, ConfigRules::pastaPux(s.pastaBanco)); }, 19, 0},
    {"PUX", "Diretorio_Servidor",
     [](const SaveSettings& s) { return paraPux(s, ConfigRules::pastaPux(s.pastaRede)); }, 20, 0},
    {"RUV", "HAB_INTEGRA_CONTINTERNO", [](const SaveSettings& s) { return s.integra; }, 21, 16},
    {"RUV", "CAMINHO_INTEGRA_CONTINTERNO", [](const SaveSettings& s) { return s.caminhoInteg; }, 22,
     17},
};

const Row linhasAnexos[] = {
    {"RUV_ANEXO", "Servidor", [](const SaveSettings& s) { return s.servidor; }, 1, 1},
    {"RUV_ANEXO", "SO_Servidor", [](const SaveSettings& s) { return s.sistemaBanco; }, 2, 2},
    {"RUV_ANEXO", "Caminho_Base_Dados", [](const SaveSettings& s) { return s.pastaAnexo; }, 3, 3},
    {"RUV_ANEXO", "Diretorio_Servidor", [](const SaveSettings& s) { return s.pastaRede; }, 4, 4},
    {"RUV_ANEXO", "CaminhoDLLCON", [](const SaveSettings& s) { return s.pastaDll; }, 5, 5},
    {"RUV_ANEXO", "Caminho_Cidades", [](const SaveSettings& s) { return s.pastaCidades; }, 6, 6},
    {"RUV_ANEXO", "DLLCON",
     [](const SaveSettings& s) { return ConfigRules::nomeDllCon(s.pastaDll); }, 7, 7},
    {"RUV_ANEXO", "PORTACON_ANX", [](const SaveSettings& s) { return s.porta; }, 8, 8},
    {"RUV_ANEXO", "IPDS_ANX", [](const SaveSettings& s) { return s.ipNtier; }, 9, 9},
    {"RUV_ANEXO", "PORTADS_ANX", [](const SaveSettings& s) { return s.portaNtier; }, 10, 10},
    {"RUV_ANEXO", "IPNET_ANX", [](const SaveSettings& s) { return s.ipNet; }, 11, 11},
    {"RUV_ANEXO", "PORTADSHTTP_ANX", [](const SaveSettings& s) { return s.portaHttp; }, 12, 12},
    {"RUV_ANEXO", "DSLOCAL_ANX", [](const SaveSettings& s) { return s.dsLocal; }, 13, 0},
};

template <std::size_t N>
QList<SaveTable::Entry> emOrdem(const Row (&linhas)[N], const SaveSettings& s,
                                SaveTable::File arquivo) {
    const auto posicao = [arquivo](const Row& r) {
        return arquivo == SaveTable::File::Ini ? r.ini : r.dat;
    };
    std::vector<const Row*> escolhidas;
    for (const Row& linha : linhas)
        if (posicao(linha) > 0)
            escolhidas.push_back(&linha);
    std::sort(escolhidas.begin(), escolhidas.end(),
              [&](const Row* a, const Row* b) { return posicao(*a) < posicao(*b); });
    QList<SaveTable::Entry> entradas;
    for (const Row* linha : escolhidas)
        entradas.append({QString::fromLatin1(linha->section), QString::fromLatin1(linha->key),
                         linha->value(s)});
    return entradas;
}

} // namespace

QList<SaveTable::Entry> SaveTable::principal(const SaveSettings& settings, File file) {
    return emOrdem(linhasPrincipal, settings, file);
}

QList<SaveTable::Entry> SaveTable::anexos(const SaveSettings& settings, File file) {
    return emOrdem(linhasAnexos, settings, file);
}

void SaveTable::write(const QString& path, const QList<Entry>& entries) {
    ProfileFile(path).writeStrings(entries);
}
