#include "IniDocumentCheck.h"

#include "config/IniDocument.h"
#include "config/Windows1252.h"

#include <optional>

namespace {

QString expectedRead(const QString& written) {
    QString value = Windows1252::decode(Windows1252::encode(written));
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    qsizetype from = 0;
    qsizetype to = value.size();
    while (from < to && (value[from] == u' ' || value[from] == u'\t'))
        ++from;
    while (to > from && (value[to - 1] == u' ' || value[to - 1] == u'\t'))
        --to;
    return value.sliced(from, to - from).left(IniDocument::kMaxValueLength);
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
    IniDocument after(text);
    after.setValue(section, key, value);

    const std::optional<QString> written = after.value(section, key);
    if (written != expectedRead(value))
        return "written entry reads " + show(written);
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
