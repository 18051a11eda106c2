// CPU time of the store on a full "ruv.ini": reading every key of the three
// sections (one open per read, as the screens do) and writing one key.
// Run by hand: build/bench/bench_profilefile

#include "config/ProfileFile.h"

#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

namespace {

using Entry = std::pair<QString, QString>;

const std::vector<std::pair<QString, std::vector<QString>>> kSections{
    {"RUV",
     {"Servidor",
      "ServidorTabDef",
      "SO_Servidor",
      "SO_ServidorTabDef",
      "Caminho_Base_Dados",
      "Caminho_TabDef",
      "Caminho_Cidades",
      "Diretorio_Servidor",
      "CaminhoDLLCON",
      "DLLCON",
      "PORTACON",
      "IPDS",
      "PORTADS",
      "IPNET",
      "PORTADSHTTP",
      "DSLOCAL",
      "HAB_INTEGRA_CONTINTERNO",
      "CAMINHO_INTEGRA_CONTINTERNO",
      "Tipo_Conexao_Servidor",
      "Tipo_Conexao_TabDef"}},
    {"PUX", {"Servidor", "SO_Servidor", "Caminho_Base_Dados", "Diretorio_Servidor"}},
    {"RUV_ANEXO",
     {"Servidor", "SO_Servidor", "Caminho_Base_Dados", "Diretorio_Servidor", "CaminhoDLLCON",
      "Caminho_Cidades", "DLLCON", "PORTACON_ANX", "IPDS_ANX", "PORTADS_ANX", "IPNET_ANX",
      "PORTADSHTTP_ANX", "DSLOCAL_ANX", "Tipo_Conexao_Servidor"}}};

double cpuMicroseconds() {
    return 1e6 * double(std::clock()) / CLOCKS_PER_SEC;
}

template <typename Work> double perRun(int runs, Work work) {
    const double start = cpuMicroseconds();
    for (int i = 0; i < runs; ++i)
        work(i);
    return (cpuMicroseconds() - start) / runs;
}

} // namespace

int main() {
    QTemporaryDir dir;
    ProfileFile file(dir.filePath("ruv.ini"));
    int keys = 0;
    for (const auto& [section, names] : kSections) {
        for (const QString& key : names) {
            file.writeString(section, key, "C:\\Quorvane\\RUV7\\Configurações\\" + key);
            ++keys;
        }
    }

    const double read = perRun(2000, [&](int) {
        for (const auto& [section, names] : kSections) {
            for (const QString& key : names)
                file.readString(section, key, QString());
        }
    });
    const double write =
        perRun(500, [&](int i) { file.writeString("RUV", "PORTACON", QString::number(3000 + i)); });

    std::printf("read all %d keys: %.1f us CPU\n", keys, read);
    std::printf("write one key:    %.1f us CPU\n", write);
    return 0;
}
