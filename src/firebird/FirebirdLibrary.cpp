#include "firebird/FirebirdLibrary.h"

#include "firebird/FirebirdError.h"

#include <QStringList>

FirebirdLibrary::FirebirdLibrary(const QString& file) : m_library(file) {
    if (!m_library.load())
        throw FirebirdError(m_library.errorString());
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
        throw FirebirdError(m_library.errorString());
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
