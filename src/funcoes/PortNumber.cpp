#include "funcoes/PortNumber.h"

#include "funcoes/funcoes.h"

#include <algorithm>

namespace {

constexpr int maximo = 65535;
constexpr qsizetype mostrados = 20;

bool controle(QChar ch) {
    return ch.unicode() < 0x20 || ch.unicode() == 0x7f;
}

// Control characters (a pasted line break, a NUL) shown as spaces, and a text
// of thousands of digits cut: the box stays one readable line.
QString legivel(const QString& text) {
    QString shown = text.left(mostrados);
    for (QChar& ch : shown) {
        if (controle(ch))
            ch = u' ';
    }
    return text.size() > mostrados ? shown + QChar(0x2026) : shown;
}

} // namespace

// Trimming alone would let a pasted line break or a NUL at either end through.
std::optional<quint16> PortNumber::parse(const QString& text) {
    if (std::any_of(text.begin(), text.end(), controle))
        return std::nullopt;
    const QString digits = Apara(text);
    if (digits.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar ch : digits) {
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + (ch.unicode() - u'0');
        if (value > maximo)
            return std::nullopt;
    }
    if (value == 0)
        return std::nullopt;
    return quint16(value);
}

QString PortNumber::refusal(const QString& text) {
    return QStringLiteral("A porta informada (\"%1\") não é válida: informe um número de 1 a %2.")
        .arg(legivel(text))
        .arg(maximo);
}
