#pragma once

#include "firebird/FirebirdStatus.h"

#include <QString>
#include <stdexcept>

// A failure of the Firebird client: an unloadable library, a missing entry point
// or an error the client reports, with the client's own text and, for the
// latter, the numbers of its status vector.
class FirebirdError : public std::runtime_error {
public:
    explicit FirebirdError(const QString& text, FirebirdStatus status = {})
        : std::runtime_error(text.toStdString()), m_text(text), m_status(std::move(status)) {}

    const QString& text() const noexcept { return m_text; }
    const FirebirdStatus& status() const noexcept { return m_status; }
    // The server could not be reached at all (isc_network_error): refused,
    // unreachable, no such host.
    bool networkFailure() const noexcept { return m_status.has(isc_network_error); }
    // A Firebird server's own answer to a login: the user or the password
    // refused, no common way to authenticate or to encrypt the wire. The client
    // reports a peer that closes during the handshake as a rejected connection
    // (isc_connect_reject), so any code but a network failure proves nothing.
    bool serverAnswered() const noexcept {
        for (const ISC_STATUS code :
             {isc_login, isc_login_error, isc_wirecrypt_incompatible, isc_miss_wirecrypt,
              isc_wirecrypt_key, isc_wirecrypt_plugin}) {
            if (m_status.has(code))
                return true;
        }
        return false;
    }

private:
    QString m_text;
    FirebirdStatus m_status;
};
