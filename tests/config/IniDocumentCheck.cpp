#include "IniDocumentCheck.h"

#include "config/IniDocument.h"
#include "config/ProfileEncoding.h"

#include <optional>

namespace {

// What a reader gets back for a written value: the value as the file's
// encoding holds it, on one line, without the blanks and one pair of matching
// quotes around it, cut to the longest value a reader gets.
QString expectedRead(const QByteArray& text, const QString& written) {
    QByteArray parsed;
    const ProfileEncoding encoding = ProfileEncoding::of(text, parsed);
    QString value = encoding.decode(encoding.encode(written));
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    qsizetype from = 0;
    qsizetype to = value.size();
    while (from < to && (value[from] == u' ' || value[from] == u'\t'))
        ++from;
    while (to > from && (value[to - 1] == u' ' || value[to - 1] == u'\t'))
        --to;
    if (to - from >= 2 && (value[from] == u'"' || value[from] == u'\'') &&
        value[to - 1] == value[from]) {
        ++from;
        --to;
    }
    return value.sliced(from, to - from).left(IniDocument::kMaxValueLength);
}

// The file as a row of characters: UTF-16 units after that mark (and an odd
// last byte), else bytes.
QString units(const QByteArray& bytes) {
    if (!bytes.startsWith("\xFF\xFE"))
        return QString::fromLatin1(bytes);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                              bytes.size() / 2) +
           QString::fromLatin1(bytes.last(bytes.size() % 2));
}

// Empty when the new file is the old one with one run of characters replaced
// and that run holds no line end: no other line changed, the mark included.
QString changedInOneLine(const QByteArray& before, const QByteArray& after) {
    const QString old = units(before);
    const QString now = units(after);
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    const QString removed = old.sliced(prefix, old.size() - prefix - suffix);
    const qsizetype mark = before.startsWith("\xEF\xBB\xBF") ? 3 : old.startsWith(QChar(0xFEFF));
    if (removed.contains(u'\r') || removed.contains(u'\n') || prefix < mark)
        return QStringLiteral("bytes changed beyond one line, from offset %1").arg(prefix);
    return {};
}

QString show(const std::optional<QString>& value) {
    return value ? '"' + value->left(40) + '"' : QStringLiteral("<missing>");
}

} // namespace

const QStringList& IniDocumentCheck::names() {
    static const QStringList names{
        "RUV",  "ruv",  "PUX", "Servidor", "SERVIDOR", "Caminho_TabDef", "caminho_tabdef",
        "Ação", "AÇÃO", "x"};
    return names;
}

QString IniDocumentCheck::afterWrite(const QByteArray& text, const QString& section,
                                     const QString& key, const QString& value) {
    const IniDocument before(text);
    IniDocument written(text);
    written.setValue(section, key, value);
    const IniDocument after(written.bytes());

    if (const QString changed = changedInOneLine(text, written.bytes()); !changed.isEmpty())
        return changed;
    const std::optional<QString> read = after.value(section, key);
    if (read != expectedRead(text, value))
        return "written entry reads " + show(read);
    for (const QString& s : names()) {
        for (const QString& k : names()) {
            const bool target = s.compare(section, Qt::CaseInsensitive) == 0 &&
                                k.compare(key, Qt::CaseInsensitive) == 0;
            if (!target && before.value(s, k) != after.value(s, k))
                return QStringLiteral("[%1] %2 was %3, now %4")
                    .arg(s, k, show(before.value(s, k)), show(after.value(s, k)));
        }
    }
    return {};
}
