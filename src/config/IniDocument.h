#pragma once

#include "config/ProfileEncoding.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The text of one profile file, as the bytes stored on disk (Windows-1252, or
// UTF-8 or UTF-16 after their byte-order mark, see ProfileEncoding). Looks
// entries up and changes one entry while every other byte stays as it was, so
// the mark, comments, unknown keys, blank lines and line ends survive a write.
//
// A line ends at CR LF, LF or a lone CR. "[name]" opens a section; "key=value"
// inside a section is an entry; lines starting with ';' are comments. Section
// and key names are matched without regard to case and the first match wins.
class IniDocument {
public:
    // The longest value a reader gets; longer stored values are cut.
    static constexpr qsizetype kMaxValueLength = 2047;

    explicit IniDocument(QByteArray bytes = {});

    // The value without the blanks around it and without one pair of matching
    // quotes (" or ') around that, as the RUV programs read it; nothing when
    // the section or the key is missing. A present empty value is an empty
    // text, not nothing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // Replaces the value in place, or adds the entry at the end of its section,
    // or adds the section at the end of the text. Added lines end in CR LF.
    void setValue(const QString& section, const QString& key, const QString& value);

    // The file's bytes.
    QByteArray bytes() const { return m_encoding.stored(m_text); }

private:
    struct Line {
        qsizetype begin; // first byte
        qsizetype end;   // one past the last byte before the line end
        qsizetype next;  // first byte of the following line
    };

    QByteArrayView text(const Line& line) const;
    bool sameName(QByteArrayView stored, const QString& wanted) const;
    void index();
    qsizetype findSection(const QString& section) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString& key) const;
    qsizetype lastFilledLine(qsizetype header) const;
    void insertLine(qsizetype at, const QByteArray& line);

    // The text after the mark, in the parser's form.
    QByteArray m_text;
    ProfileEncoding m_encoding;
    QList<Line> m_lines;
};
