#include "config/ProfileEncoding.h"

#include "config/Windows1252.h"

#include <QtEndian>

namespace {

const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray kUtf16Mark = QByteArrayLiteral("\xFF\xFE");

// UTF-16 units as UTF-8, a unit of an unpaired surrogate included (as three
// bytes, as it would be were it a character), so that every file comes back
// unit for unit.
QByteArray unitsToUtf8(QByteArrayView bytes) {
    QByteArray text;
    text.reserve(bytes.size() * 3 / 2);
    const qsizetype count = bytes.size() / 2;
    const auto unit = [&](qsizetype i) {
        return qFromLittleEndian<char16_t>(bytes.data() + 2 * i);
    };
    for (qsizetype i = 0; i < count; ++i) {
        char32_t c = unit(i);
        if (QChar::isHighSurrogate(c) && i + 1 < count && QChar::isLowSurrogate(unit(i + 1)))
            c = QChar::surrogateToUcs4(char16_t(c), unit(++i));
        if (c < 0x80) {
            text += char(c);
        } else if (c < 0x800) {
            text += char(0xC0 | c >> 6);
            text += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += char(0xE0 | c >> 12);
            text += char(0x80 | (c >> 6 & 0x3F));
            text += char(0x80 | (c & 0x3F));
        } else {
            text += char(0xF0 | c >> 18);
            text += char(0x80 | (c >> 12 & 0x3F));
            text += char(0x80 | (c >> 6 & 0x3F));
            text += char(0x80 | (c & 0x3F));
        }
    }
    return text;
}

// The inverse of unitsToUtf8; the text holds only what it and the UTF-8 of
// written values put there.
QByteArray utf8ToUnits(QByteArrayView text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    const auto append = [&bytes](char16_t unit) {
        char le[2];
        qToLittleEndian(unit, le);
        bytes.append(le, 2);
    };
    for (qsizetype i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + k < text.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (c >= 0x10000) {
            append(QChar::highSurrogate(c));
            append(QChar::lowSurrogate(c));
        } else {
            append(char16_t(c));
        }
    }
    return bytes;
}

} // namespace

ProfileEncoding::ProfileEncoding(Kind kind, QByteArray mark, QByteArray tail)
    : m_kind(kind), m_mark(std::move(mark)), m_tail(std::move(tail)) {}

ProfileEncoding ProfileEncoding::of(const QByteArray& stored, QByteArray& text) {
    if (stored.startsWith(kUtf16Mark)) {
        const QByteArrayView units = QByteArrayView(stored).sliced(kUtf16Mark.size());
        text = unitsToUtf8(units);
        return ProfileEncoding(Kind::Utf16, kUtf16Mark, units.last(units.size() % 2).toByteArray());
    }
    if (stored.startsWith(kUtf8Mark)) {
        text = stored.sliced(kUtf8Mark.size());
        return ProfileEncoding(Kind::Utf8, kUtf8Mark);
    }
    text = stored;
    return ProfileEncoding(Kind::Windows1252, {});
}

QByteArray ProfileEncoding::stored(const QByteArray& text) const {
    if (m_kind == Kind::Utf16)
        return m_mark + utf8ToUnits(text) + m_tail;
    return m_mark + text;
}

QString ProfileEncoding::decode(QByteArrayView text) const {
    return singleByte() ? Windows1252::decode(text) : QString::fromUtf8(text);
}

QByteArray ProfileEncoding::encode(QStringView text) const {
    return singleByte() ? Windows1252::encode(text) : text.toUtf8();
}
