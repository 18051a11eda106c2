#include "config/ExecutableFolder.h"

#include "funcoes/Platform.h"

namespace {
QString& overridden() {
    static QString folder;
    return folder;
}
} // namespace

QString ExecutableFolder::path() {
    if (!overridden().isEmpty())
        return overridden();
    const QString file = platform::executableFilePath();
    const qsizetype cut = file.lastIndexOf(platform::pathSeparator());
    return file.left(cut + 1);
}

void ExecutableFolder::setForTesting(const QString& folderWithSeparator) {
    overridden() = folderWithSeparator;
}

void ExecutableFolder::clearForTesting() {
    overridden().clear();
}
