#include "config/IniDocument.h"

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimBlanks(QByteArrayView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

// The name between the brackets of a section line, or a null view.
QByteArrayView sectionName(QByteArrayView line) {
    const QByteArrayView trimmed = trimBlanks(line);
    if (!trimmed.startsWith('['))
        return {};
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return {};
    return trimBlanks(trimmed.sliced(1, close - 1));
}

bool isComment(QByteArrayView line) {
    return trimBlanks(line).startsWith(';');
}

// Position of the '=' of an entry line, or -1.
qsizetype equalsSign(QByteArrayView line) {
    if (isComment(line) || !sectionName(line).isNull())
        return -1;
    return line.indexOf('=');
}

// The profile functions drop one pair of matching quotes around a value.
QByteArrayView unquoted(QByteArrayView value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.sliced(1, value.size() - 2) : value;
}

// A value is one line of the file: a line break in it must not open new lines.
QString singleLine(QString value) {
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

} // namespace

IniDocument::IniDocument(QByteArray bytes) : m_encoding(ProfileEncoding::of(bytes, m_text)) {
    index();
}

QByteArrayView IniDocument::text(const Line& line) const {
    return QByteArrayView(m_text).sliced(line.begin, line.end - line.begin);
}

bool IniDocument::sameName(QByteArrayView stored, const QString& wanted) const {
    // Cheap length test first where every character is one byte.
    if (m_encoding.singleByte() && stored.size() != wanted.size())
        return false;
    return m_encoding.decode(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

void IniDocument::index() {
    m_lines.clear();
    const qsizetype size = m_text.size();
    const char* data = m_text.constData();
    qsizetype begin = 0;
    while (begin < size) {
        qsizetype end = begin;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        qsizetype next = end;
        if (end < size) {
            next = end + 1;
            if (data[end] == '\r' && next < size && data[next] == '\n')
                ++next;
        }
        m_lines.append({begin, end, next});
        begin = next;
    }
}

qsizetype IniDocument::findSection(const QString& section) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArrayView name = sectionName(text(m_lines[i]));
        if (!name.isNull() && sameName(name, section))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < m_lines.size() && sectionName(text(m_lines[i])).isNull())
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, const QString& key) const {
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QByteArrayView line = text(m_lines[i]);
        const qsizetype equals = equalsSign(line);
        if (equals >= 0 && sameName(trimBlanks(line.first(equals)), key))
            return i;
    }
    return -1;
}

qsizetype IniDocument::lastFilledLine(qsizetype header) const {
    qsizetype last = header;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (!trimBlanks(text(m_lines[i])).isEmpty())
            last = i;
    }
    return last;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype line = findKey(header, key);
    if (line < 0)
        return std::nullopt;
    const QByteArrayView entry = text(m_lines[line]);
    const QByteArrayView stored = unquoted(trimBlanks(entry.sliced(equalsSign(entry) + 1)));
    // No character takes more than four bytes.
    const qsizetype enough = qMin(stored.size(), 4 * kMaxValueLength);
    return m_encoding.decode(stored.first(enough)).left(kMaxValueLength);
}

void IniDocument::insertLine(qsizetype at, const QByteArray& line) {
    // The line before may be the last of a file without a final line end.
    const bool needsBreak =
        at > 0 && at == m_text.size() && m_text.back() != '\n' && m_text.back() != '\r';
    m_text.insert(at, (needsBreak ? kLineEnd : QByteArray()) + line + kLineEnd);
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const QByteArray encoded = m_encoding.encode(singleLine(value));
    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_text.size(), '[' + m_encoding.encode(section) + ']');
        insertLine(m_text.size(), m_encoding.encode(key) + '=' + encoded);
    } else if (const qsizetype line = findKey(header, key); line >= 0) {
        const Line& found = m_lines[line];
        const qsizetype valueStart = found.begin + equalsSign(text(found)) + 1;
        m_text.replace(valueStart, found.end - valueStart, encoded);
    } else {
        const Line& last = m_lines[lastFilledLine(header)];
        insertLine(last.next, m_encoding.encode(key) + '=' + encoded);
    }
    index();
}
