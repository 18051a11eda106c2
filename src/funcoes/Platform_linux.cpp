#include "funcoes/Platform.h"

#include <QFile>
#include <unistd.h>

QString platform::executableFilePath() {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

QChar platform::pathSeparator() {
    return u'/';
}

platform::FileVersion platform::executableFileVersion() {
    return {PARVEL_VERSION_MAJOR, PARVEL_VERSION_MINOR, PARVEL_VERSION_PATCH, PARVEL_VERSION_TWEAK};
}

bool platform::flushToDisk(QFileDevice& file) {
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool platform::startProcess(const QString&, const QString&, const QString&, int, bool) {
    return false; // filled by the foundation work
}
