#include "config/AtomicFile.h"

#include <QFileInfo>

namespace {

// A file whose write bits are all off is read-only for every user, root
// included, as the read-only attribute is on Windows.
bool isReadOnly(const QFileInfo& info) {
    if (!info.exists())
        return false;
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isFile() || !info.isWritable() || !(info.permissions() & anyWrite);
}

// The file a symbolic link names is the one to replace; a link whose file is
// missing is replaced itself.
QString target(const QFileInfo& info) {
    const QString resolved = info.isSymLink() ? info.canonicalFilePath() : QString();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

} // namespace

bool AtomicFile::write(const QString& path, const QByteArray& bytes, QString* errorText) {
    const QFileInfo info(path);
    QString why;
    if (isReadOnly(info))
        why = QStringLiteral("somente leitura");
    else if (replace(target(info), bytes, why))
        return true;
    if (errorText)
        *errorText = why;
    return false;
}

bool AtomicFile::remove(const QString& path, QString* errorText) {
    const QFileInfo info(path);
    QString why;
    if (info.isFile() && isReadOnly(info))
        why = QStringLiteral("somente leitura");
    else if (removeFile(info.absoluteFilePath(), why))
        return true;
    if (errorText)
        *errorText = why;
    return false;
}
