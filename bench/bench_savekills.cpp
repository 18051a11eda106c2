// Saves killed at random moments: a child saves the 22 entries of a main save
// over and over, alternating two sets of values, and is sent SIGKILL after a
// random delay. After each kill the file must hold one of the two saves whole
// (else torn, or lost when missing); the next save by this process must leave
// no temporary beside it.
// Run by hand: build/bench/bench_savekills [FOLDER [ROUNDS]]
// (FOLDER defaults to a new folder under the current one, ROUNDS to 2300).

#include "config/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QList<ProfileFile::Entry> save(const QString& mark) {
    QList<ProfileFile::Entry> entries;
    const char* keys[] = {"Servidor",
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
                          "DSLOCAL"};
    for (const char* key : keys)
        entries.append({"RUV", key, mark + "\\Quorvane\\RUV7\\Configurações\\" + key});
    for (const char* key : {"Servidor", "SO_Servidor", "Caminho_Base_Dados", "Diretorio_Servidor"})
        entries.append({"PUX", key, mark + key});
    entries.append({"RUV", "HAB_INTEGRA_CONTINTERNO", "S"});
    entries.append({"RUV", "CAMINHO_INTEGRA_CONTINTERNO", mark + "http://10.0.0.9:8080/api"});
    return entries;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int temporaries(const QString& folder) {
    return QDir(folder).entryList({"ruv.ini.parvel-tmp-*"}, QDir::Files | QDir::Hidden).size();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTemporaryDir own(QDir::currentPath() + "/savekills-XXXXXX");
    const QString folder = arguments.size() > 1 ? arguments[1] : own.path();
    const int rounds = arguments.size() > 2 ? arguments[2].toInt() : 2300;
    const QString path = folder + "/ruv.ini";

    // The two saves' bytes, as each leaves the file.
    QFile::remove(path);
    ProfileFile(path).writeStrings(save("B:"));
    ProfileFile(path).writeStrings(save("A:"));
    const QByteArray a = contents(path);
    ProfileFile(path).writeStrings(save("B:"));
    const QByteArray b = contents(path);

    int torn = 0, lost = 0, leftAfterKill = 0, leftAfterSave = 0;
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 0;; ++i)
                ProfileFile(path).writeStrings(save(i % 2 ? "A:" : "B:"));
        }
        ::usleep(QRandomGenerator::global()->bounded(200, 20000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const QByteArray now = contents(path);
        lost += !QFile::exists(path);
        torn += QFile::exists(path) && now != a && now != b;
        leftAfterKill += temporaries(folder) > 0;
        ProfileFile(path).writeStrings(save("A:"));
        leftAfterSave += temporaries(folder);
    }
    std::printf("%d kills: %d torn, %d lost; %d left a temporary, %d temporaries left after "
                "the next save\n",
                rounds, torn, lost, leftAfterKill, leftAfterSave);
    return torn || lost || leftAfterSave ? 1 : 0;
}
