#include "firebird/FirebirdDatabase.h"

#include "firebird/FirebirdLibrary.h"
#include "firebird/ParameterBuffer.h"

FirebirdDatabase::FirebirdDatabase(const FirebirdLibrary& library, const QString& connectionString,
                                   const FirebirdLogin& login)
    : m_library(library) {
    ParameterBuffer dpb(ParameterBuffer::Kind::Attach, QByteArray(1, isc_dpb_version1));
    dpb.add(isc_dpb_user_name, login.user)
        .add(isc_dpb_password, login.password)
        .add(isc_dpb_sql_dialect, 3)
        .add(isc_dpb_lc_ctype, QStringLiteral("WIN1252"))
        .add(isc_dpb_connect_timeout, login.connectTimeoutSeconds);
    const QByteArray name = connectionString.toLocal8Bit();
    ISC_STATUS_ARRAY status{};
    m_library.attachDatabase(status, short(name.size()), name.constData(), &m_handle,
                             short(dpb.bytes().size()), dpb.bytes().constData());
    m_library.check(status);
}

FirebirdDatabase::~FirebirdDatabase() {
    if (m_handle) {
        ISC_STATUS_ARRAY status{};
        m_library.detachDatabase(status, &m_handle);
    }
}

void FirebirdDatabase::close() {
    if (!m_handle)
        return;
    ISC_STATUS_ARRAY status{};
    m_library.detachDatabase(status, &m_handle);
    m_handle = 0;
    m_library.check(status);
}
