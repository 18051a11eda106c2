#include "config/ProfileFile.h"

#include "config/AtomicFile.h"
#include "config/IniDocument.h"
#include "config/WriteError.h"
#include "funcoes/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <optional>

namespace {

// The stored bytes for a read of one key: empty for a missing or unreadable file,
// which gives the key's default. Not waited for: a screen reads many keys.
QByteArray bytesOrNothing(const QString& path) {
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                      : QByteArray();
}

// The value of an ASCII hexadecimal digit; 16 for any other character.
int digitValue(QChar ch) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return 16;
}

// Strict: an optional sign for decimals, digits only, and the value must fit.
std::optional<int> parseInteger(QStringView text) {
    const bool hex = text.size() >= 3 && (text.startsWith(u"0x") || text.startsWith(u"0X"));
    const int base = hex ? 16 : 10;
    QStringView digits = hex ? text.sliced(2) : text;
    const bool negative = !hex && digits.startsWith(u'-');
    if (!hex && (digits.startsWith(u'-') || digits.startsWith(u'+')))
        digits = digits.sliced(1);
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar ch : digits) {
        const int digit = digitValue(ch);
        if (digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

} // namespace

ProfileFile::ProfileFile(const QString& fullPath) : m_path(fullPath) {}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    const IniDocument document(bytesOrNothing(m_path));
    return document.value(section, key).value_or(defaultValue);
}

int ProfileFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    return parseInteger(readString(section, key, QString())).value_or(defaultValue);
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    writeStrings({{section, key, value}});
}

void ProfileFile::writeStrings(const QList<Entry>& entries) {
    // Read as the write is made: a file another program holds is waited for.
    QByteArray stored;
    WriteError why;
    if (!AtomicFile::read(m_path, stored, &why))
        throw AppError(why.text(m_path));
    IniDocument document(stored);
    for (const Entry& entry : entries)
        document.setValue(entry.section, entry.key, entry.value);
    if (!AtomicFile::write(m_path, document.bytes(), &why))
        throw AppError(why.text(m_path));
}

bool ProfileFile::fileExists(const QString& fullPath) {
    return QFileInfo(fullPath).isFile();
}

void ProfileFile::deleteFile(const QString& fullPath) {
    WriteError why;
    if (fileExists(fullPath) && !AtomicFile::remove(fullPath, &why))
        throw AppError(QStringLiteral("Não foi possível apagar o arquivo \"%1\": %2.")
                           .arg(fullPath, why.reasonText()));
}
