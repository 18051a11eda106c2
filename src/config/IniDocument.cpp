#include "config/IniDocument.h"

#include "config/Windows1252.h"

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

bool sameName(QByteArrayView stored, const QString& wanted) {
    // Cheap length test first: the code page has one byte per character.
    return stored.size() == wanted.size() &&
           Windows1252::decode(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

// A value is one line of the file: a line break in it must not open new lines.
QString singleLine(QString value) {
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

} // namespace

IniDocument::IniDocument(QByteArray bytes) : m_bytes(std::move(bytes)) {
    index();
}

QByteArrayView IniDocument::text(const Line& line) const {
    return QByteArrayView(m_bytes).sliced(line.begin, line.end - line.begin);
}

void IniDocument::index() {
    m_lines.clear();
    const qsizetype size = m_bytes.size();
    const char* data = m_bytes.constData();
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
    const QByteArrayView stored = trimBlanks(entry.sliced(equalsSign(entry) + 1));
    return Windows1252::decode(stored.first(qMin(stored.size(), kMaxValueLength)));
}

void IniDocument::insertLine(qsizetype at, const QByteArray& line) {
    // The line before may be the last of a file without a final line end.
    const bool needsBreak =
        at > 0 && at == m_bytes.size() && m_bytes.back() != '\n' && m_bytes.back() != '\r';
    m_bytes.insert(at, (needsBreak ? kLineEnd : QByteArray()) + line + kLineEnd);
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const QByteArray encoded = Windows1252::encode(singleLine(value));
    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_bytes.size(), '[' + Windows1252::encode(section) + ']');
        insertLine(m_bytes.size(), Windows1252::encode(key) + '=' + encoded);
    } else if (const qsizetype line = findKey(header, key); line >= 0) {
        const Line& found = m_lines[line];
        const qsizetype valueStart = found.begin + equalsSign(text(found)) + 1;
        m_bytes.replace(valueStart, found.end - valueStart, encoded);
    } else {
        const Line& last = m_lines[lastFilledLine(header)];
        insertLine(last.next, Windows1252::encode(key) + '=' + encoded);
    }
    index();
}
