#include "firebird/FirebirdServiceManager.h"

#include "firebird/FirebirdError.h"
#include "firebird/FirebirdLibrary.h"
#include "firebird/ParameterBuffer.h"

#include <QDeadlineTimer>

namespace {

quint32 littleEndian(const QByteArray& bytes, qsizetype at, int size) {
    if (at + size > bytes.size())
        throw FirebirdError(QStringLiteral("Resposta incompleta do gerenciador de serviços."));
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

// The user records of a display-user output: names and texts with two-byte
// lengths, numbers in four bytes.
QStringList userNames(const QByteArray& output) {
    QStringList names;
    qsizetype at = 0;
    while (at < output.size()) {
        const char tag = output[at++];
        switch (tag) {
        case isc_spb_sec_username:
        case isc_spb_sec_firstname:
        case isc_spb_sec_middlename:
        case isc_spb_sec_lastname: {
            const quint32 length = littleEndian(output, at, 2);
            littleEndian(output, at + 2, int(length)); // bounds only
            if (tag == isc_spb_sec_username)
                names << QString::fromLocal8Bit(output.mid(at + 2, length));
            at += 2 + length;
            break;
        }
        case isc_spb_sec_userid:
        case isc_spb_sec_groupid:
        case isc_spb_sec_admin:
            littleEndian(output, at, 4);
            at += 4;
            break;
        default:
            throw FirebirdError(
                QStringLiteral("Item desconhecido na lista de usuários: %1").arg(int(quint8(tag))));
        }
    }
    return names;
}

} // namespace

FirebirdServiceManager::FirebirdServiceManager(const FirebirdLibrary& library,
                                               const QString& serviceName,
                                               const FirebirdLogin& login)
    : m_library(library), m_timeoutSeconds(login.connectTimeoutSeconds) {
    ParameterBuffer spb(ParameterBuffer::Kind::Attach,
                        QByteArray{char(isc_spb_version), char(isc_spb_current_version)});
    spb.add(isc_spb_user_name, login.user)
        .add(isc_spb_password, login.password)
        .add(isc_spb_connect_timeout, login.connectTimeoutSeconds);
    const QByteArray name = serviceName.toLocal8Bit();
    ISC_STATUS_ARRAY status{};
    m_library.serviceAttach(status, ushort(name.size()), name.constData(), &m_handle,
                            ushort(spb.bytes().size()), spb.bytes().constData());
    m_library.check(status);
}

FirebirdServiceManager::~FirebirdServiceManager() {
    if (m_handle) {
        ISC_STATUS_ARRAY status{};
        m_library.serviceDetach(status, &m_handle);
    }
}

void FirebirdServiceManager::detach() {
    if (!m_handle)
        return;
    ISC_STATUS_ARRAY status{};
    m_library.serviceDetach(status, &m_handle);
    m_handle = 0;
    m_library.check(status);
}

QStringList FirebirdServiceManager::users(int replyBufferSize) {
    start(QByteArray(1, isc_action_svc_display_user));
    return userNames(readOutput(isc_info_svc_get_users, replyBufferSize));
}

void FirebirdServiceManager::addUser(const QString& name, const QString& password) {
    ParameterBuffer action(ParameterBuffer::Kind::ServiceAction,
                           QByteArray(1, isc_action_svc_add_user));
    action.add(isc_spb_sec_username, name).add(isc_spb_sec_password, password);
    start(action.bytes());
    // The action reports a refusal when its output is read.
    readOutput(isc_info_svc_line, 1024);
}

void FirebirdServiceManager::start(const QByteArray& action) {
    ISC_STATUS_ARRAY status{};
    m_library.serviceStart(status, &m_handle, nullptr, ushort(action.size()), action.constData());
    m_library.check(status);
}

QByteArray FirebirdServiceManager::readOutput(char item, int replyBufferSize) {
    // Each query waits at most a second, so the deadline below is checked.
    const char send[] = {isc_info_svc_timeout, 4, 0, 1, 0, 0, 0, isc_info_end};
    const QDeadlineTimer deadline(m_timeoutSeconds * 1000);
    QByteArray output;
    QByteArray reply(replyBufferSize, '\0');
    for (;;) {
        ISC_STATUS_ARRAY status{};
        m_library.serviceQuery(status, &m_handle, nullptr, sizeof send, send, 1, &item,
                               ushort(reply.size()), reply.data());
        m_library.check(status);
        bool pending = false;
        qsizetype received = 0;
        for (qsizetype at = 0; at < reply.size() && reply[at] != isc_info_end;) {
            const char tag = reply[at++];
            if (tag == item) {
                received = littleEndian(reply, at, 2);
                output += reply.mid(at + 2, received);
                at += 2 + received;
            } else if (tag == isc_info_truncated || tag == isc_info_data_not_ready ||
                       tag == isc_info_svc_timeout) {
                pending = true;
            } else {
                throw FirebirdError(QStringLiteral("Resposta inesperada do gerenciador de "
                                                   "serviços: %1")
                                        .arg(int(quint8(tag))));
            }
        }
        if (received == 0 && !pending)
            return output;
        if (deadline.hasExpired())
            throw FirebirdError(QStringLiteral("O gerenciador de serviços não terminou a "
                                               "tempo."));
    }
}
