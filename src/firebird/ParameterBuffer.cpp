#include "firebird/ParameterBuffer.h"

#include "firebird/FirebirdError.h"

ParameterBuffer::ParameterBuffer(Kind kind, QByteArray first)
    : m_kind(kind), m_bytes(std::move(first)) {}

ParameterBuffer& ParameterBuffer::add(char tag, const QString& text) {
    const QByteArray value = text.toLocal8Bit();
    const int lengthSize = m_kind == Kind::Attach ? 1 : 2;
    if (value.size() >= (1 << (8 * lengthSize)))
        throw FirebirdError(QStringLiteral("Parâmetro longo demais: ") + text);
    m_bytes += tag;
    appendNumber(quint32(value.size()), lengthSize);
    m_bytes += value;
    return *this;
}

ParameterBuffer& ParameterBuffer::add(char tag, int number) {
    m_bytes += tag;
    if (m_kind == Kind::Attach)
        appendNumber(4, 1);
    appendNumber(quint32(number), 4);
    return *this;
}

void ParameterBuffer::appendNumber(quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        m_bytes += char((value >> (8 * i)) & 0xff);
}
