#include "config/ConfigFiles.h"

#include "config/ExecutableFolder.h"

QString ConfigFiles::ruvIni() {
    return ExecutableFolder::path() + QStringLiteral("ruv.ini");
}

QString ConfigFiles::ruvDat() {
    return ExecutableFolder::path() + QStringLiteral("ruv.dat");
}

QString ConfigFiles::suporteMarker() {
    return ExecutableFolder::path() + QStringLiteral("suporteruv.txt");
}

QString ConfigFiles::marlivioMarker() {
    return ExecutableFolder::path() + QStringLiteral("marlivioVRD.txt");
}
