#pragma once

#include <QByteArray>
#include <QString>

// How a profile file holds its text, told by its byte-order mark as the
// Windows profile functions tell it: UTF-16 little-endian after FF FE, UTF-8
// after EF BB BF, Windows-1252 without a mark. The parser reads the text after
// the mark as bytes of one character per byte or UTF-8; a UTF-16 text is
// handed to it as UTF-8 and turned back on the way out. The mark stays.
class ProfileEncoding {
public:
    // Splits the stored bytes into the encoding and the text the parser reads.
    static ProfileEncoding of(const QByteArray& stored, QByteArray& text);

    // The bytes to store for a text the parser holds, mark included.
    QByteArray stored(const QByteArray& text) const;

    QString decode(QByteArrayView text) const;
    QByteArray encode(QStringView text) const;

    // True when every character of the text is one byte.
    bool singleByte() const { return m_kind == Kind::Windows1252; }

private:
    enum class Kind { Windows1252, Utf8, Utf16 };
    ProfileEncoding(Kind kind, QByteArray mark, QByteArray tail = {});

    Kind m_kind;
    QByteArray m_mark;
    // The odd last byte of a UTF-16 file, kept as it was.
    QByteArray m_tail;
};
