#include "config/AtomicFile.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <optional>

namespace {

// A file whose write bits are all off is read-only for every user, root
// included, as the read-only attribute is on Windows. A folder or a special
// file (a pipe, a device) under the name is never replaced.
std::optional<WriteError> refusal(const QFileInfo& info) {
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        return WriteError(WriteError::Reason::NotRegularFile);
    constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.isWritable() && (info.permissions() & anyWrite))
        return std::nullopt;
    // Nothing on a read-only mount is writable, whatever its bits say.
    return WriteError(QStorageInfo(info.absolutePath()).isReadOnly()
                          ? WriteError::Reason::ReadOnlyFileSystem
                          : WriteError::Reason::Permission);
}

// The file a symbolic link names is the one to replace; a link whose file is
// missing is replaced itself.
QString target(const QFileInfo& info) {
    const QString resolved = info.isSymLink() ? info.canonicalFilePath() : QString();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

} // namespace

bool AtomicFile::write(const QString& path, const QByteArray& bytes, WriteError* why) {
    const QFileInfo info(path);
    std::optional<WriteError> error = refusal(info);
    int systemError = 0;
    if (!error && replace(target(info), bytes, systemError))
        return true;
    if (why)
        *why = error.value_or(WriteError::fromSystemCode(systemError));
    return false;
}
