#pragma once

#include <QString>
#include <stdexcept>

// An error that escapes a handler and reaches the error box titled "Parvel".
// The text is what the operator reads, so it is kept as a QString.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}

    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};
