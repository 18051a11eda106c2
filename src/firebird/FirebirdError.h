#pragma once

#include <QString>
#include <stdexcept>

// A failure of the Firebird client: an unloadable library, a missing entry point
// or an error the client reports, with the client's own text and, for the
// latter, its first error code.
class FirebirdError : public std::runtime_error {
public:
    explicit FirebirdError(const QString& text, long code = 0)
        : std::runtime_error(text.toStdString()), m_text(text), m_code(code) {}

    const QString& text() const noexcept { return m_text; }
    long code() const noexcept { return m_code; }
    // The server could not be reached at all (isc_network_error): refused,
    // unreachable, no such host.
    bool networkFailure() const noexcept { return m_code == 335544721L; }

private:
    QString m_text;
    long m_code;
};
