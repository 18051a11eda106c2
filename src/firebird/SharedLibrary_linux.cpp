#include "firebird/SharedLibrary.h"

#include <QFile>
#include <QRegularExpression>
#include <dlfcn.h>

// The library itself was checked before it is loaded, so a file the loader
// could not open is one it needs.
QString SharedLibrary::refusal(const QString&, const QString& loader) {
    static const QRegularExpression missingFile(
        QStringLiteral("^(.+?): cannot open shared object file"));
    static const QRegularExpression missingSymbol(QStringLiteral("undefined symbol: (\\S+)"));
    if (const auto found = missingFile.match(loader); found.hasMatch())
        return QStringLiteral("falta a biblioteca \"%1\", de que ela precisa")
            .arg(found.captured(1));
    if (const auto found = missingSymbol.match(loader); found.hasMatch())
        return QStringLiteral("falta a função \"%1\" em uma biblioteca de que ela precisa")
            .arg(found.captured(1));
    return QStringLiteral("o carregador do sistema a recusou (%1)").arg(loader);
}

// Every symbol is bound at load, so a library that lacks one of its own needs
// is refused here rather than failing in the middle of a call.
bool SharedLibrary::load(const QString& path) {
    m_handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        m_error = refusal(path, QString::fromLocal8Bit(::dlerror()));
    return m_handle != nullptr;
}

void* SharedLibrary::resolve(const char* name) const {
    return m_handle ? ::dlsym(m_handle, name) : nullptr;
}
