#include "config/AtomicFile.h"

#include "funcoes/Platform.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

// A file whose write bits are all off is read-only for every user, root
// included, as the read-only attribute is on Windows.
bool isReadOnly(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isFile() || !info.isWritable() || !(info.permissions() & anyWrite);
}

} // namespace

bool AtomicFile::write(const QString& path, const QByteArray& bytes, QString* errorText) {
    if (isReadOnly(path)) {
        if (errorText)
            *errorText = QStringLiteral("somente leitura");
        return false;
    }
    QSaveFile file(path);
    // The temporary reaches the disk before it replaces the old file; an
    // uncommitted QSaveFile removes its temporary.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                         platform::flushToDisk(file) && file.commit();
    if (!written && errorText)
        *errorText = file.errorString();
    return written;
}
