#include "firebird/FirebirdLibrary.h"

#include "firebird/FirebirdError.h"
#include "firebird/LibraryFile.h"

#include <QFileInfo>
#include <QStringList>

namespace {

QString notLoadable(const QString& file, const QString& why) {
    return QStringLiteral("A biblioteca de conexão \"%1\" não pode ser carregada: %2.")
        .arg(file, why);
}

} // namespace

FirebirdLibrary::FirebirdLibrary(const QString& file) : m_file(file) {
    if (const QString problem = LibraryFile::problem(file); !problem.isEmpty())
        throw FirebirdError(notLoadable(file, problem));
    // The name as given, never one with a prefix or suffix added by the loader:
    // it is the file that was checked.
    m_library.setFileNameAndVersion(QFileInfo(file).absoluteFilePath(), QString());
    if (!m_library.load())
        throw FirebirdError(notLoadable(file, m_library.errorString()));
    resolve(attachDatabase, "isc_attach_database");
    resolve(detachDatabase, "isc_detach_database");
    resolve(serviceAttach, "isc_service_attach");
    resolve(serviceDetach, "isc_service_detach");
    resolve(serviceStart, "isc_service_start");
    resolve(serviceQuery, "isc_service_query");
    resolve(m_interpret, "fb_interpret");
}

template <typename F> void FirebirdLibrary::resolve(F& entry, const char* name) {
    entry = reinterpret_cast<F>(m_library.resolve(name));
    if (!entry)
        throw FirebirdError(
            QStringLiteral("A biblioteca de conexão \"%1\" não tem a função \"%2\".")
                .arg(m_file, QLatin1String(name)));
}

void FirebirdLibrary::check(const ISC_STATUS* status) const {
    if (status[0] == 1 && status[1] != 0)
        throw FirebirdError(interpret(status));
}

QString FirebirdLibrary::interpret(const ISC_STATUS* status) const {
    QStringList messages;
    char buffer[1024];
    const ISC_STATUS* cursor = status;
    while (m_interpret(buffer, sizeof buffer, &cursor) > 0)
        messages << QString::fromLocal8Bit(buffer);
    return messages.join(QLatin1Char('\n'));
}
