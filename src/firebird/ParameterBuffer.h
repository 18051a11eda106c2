#pragma once

#include <QByteArray>
#include <QString>

// Builds the parameter blocks of the client's attach and service calls. Attach
// blocks carry one-byte lengths; the items of a service action carry two-byte
// lengths and bare four-byte numbers. Numbers are little-endian, as the wire
// format wants on every platform.
class ParameterBuffer {
public:
    enum class Kind { Attach, ServiceAction };

    // `first` is the leading byte(s): the block version, or the action code.
    ParameterBuffer(Kind kind, QByteArray first);

    ParameterBuffer& add(char tag, const QString& text);
    ParameterBuffer& add(char tag, int number);

    const QByteArray& bytes() const { return m_bytes; }

private:
    void appendNumber(quint32 value, int size);

    Kind m_kind;
    QByteArray m_bytes;
};
