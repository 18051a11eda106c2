#pragma once

#include <QString>
#include <stdexcept>

// A failure of the Firebird client: an unloadable library, a missing entry point
// or an error the client reports, with the client's own text.
class FirebirdError : public std::runtime_error {
public:
    explicit FirebirdError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}

    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};
