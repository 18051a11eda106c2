#include "firebird/FirebirdLibrary.h"

#include "firebird/FirebirdError.h"
#include "firebird/LibraryFile.h"
#include "firebird/LibraryProof.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// The functions every client has, resolved below and looked up by the proof. The
// message function has two names over the versions and is looked for after.
const QByteArrayList entryPoints{"isc_attach_database", "isc_detach_database", "isc_service_attach",
                                 "isc_service_detach",  "isc_service_start",   "isc_service_query"};

QString notLoadable(const QString& file, const QString& why) {
    return QStringLiteral("A biblioteca de conexão \"%1\" não pode ser carregada: %2.")
        .arg(file, why);
}

} // namespace

QString FirebirdLibrary::problem(const QString& file) {
    const QString format = LibraryFile::problem(file);
    return format.isEmpty() ? LibraryProof::problem(file, entryPoints) : format;
}

FirebirdLibrary::FirebirdLibrary(const QString& file) : m_file(file) {
    if (const QString why = problem(file); !why.isEmpty())
        throw FirebirdError(notLoadable(file, why));
    // The name as given, never one with a prefix or suffix added by the loader:
    // it is the file that was checked.
    if (!m_library.load(QFileInfo(file).absoluteFilePath()))
        throw FirebirdError(notLoadable(file, m_library.error()));
    resolve(attachDatabase, "isc_attach_database");
    resolve(detachDatabase, "isc_detach_database");
    resolve(serviceAttach, "isc_service_attach");
    resolve(serviceDetach, "isc_service_detach");
    resolve(serviceStart, "isc_service_start");
    resolve(serviceQuery, "isc_service_query");
    m_interpreteOld = reinterpret_cast<InterpreteOld>(m_library.resolve("isc_interprete"));
    m_interpret = reinterpret_cast<decltype(m_interpret)>(m_library.resolve("fb_interpret"));
    if (!m_interpret && !m_interpreteOld)
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
        throw FirebirdError(interpret(status), FirebirdStatus(status));
}

QString FirebirdLibrary::interpret(const ISC_STATUS* status) const {
    QStringList messages;
    char buffer[1024];
    const ISC_STATUS* cursor = status;
    // The older call writes up to 512 bytes a message, well within the buffer.
    const auto next = [&] {
        return m_interpret ? m_interpret(buffer, sizeof buffer, &cursor)
                           : m_interpreteOld(buffer, const_cast<ISC_STATUS**>(&cursor));
    };
    while (next() > 0)
        messages << QString::fromLocal8Bit(buffer);
    return messages.join(QLatin1Char('\n'));
}
