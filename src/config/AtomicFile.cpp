#include "config/AtomicFile.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace {

// A file whose write bits are all off is read-only for every user, root
// included, as the read-only attribute is on Windows. A folder or a special
// file (a pipe, a device) under the name is never replaced.
std::optional<WriteError> refusalOf(const QFileInfo& info) {
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

// The system's refusal of `target`; a file found in use, or refused as if it
// were, is said to be in use by the programs that hold it, where the system can
// tell.
WriteError systemRefusal(const QString& target, int systemError) {
    WriteError why = WriteError::fromSystemCode(systemError);
    const bool held =
        why.reason() == WriteError::Reason::InUse || why.reason() == WriteError::Reason::Permission;
    const QStringList holders = held ? AtomicFile::holders(target) : QStringList();
    if (!holders.isEmpty()) {
        why = WriteError(WriteError::Reason::InUse, systemError);
        why.setHolders(holders);
    }
    return why;
}

// A file the store must not touch is refused before the platform is asked.
template <typename Step>
bool refusedOrDone(const QFileInfo& info, const QString& target, WriteError* why, Step step) {
    const std::optional<WriteError> error = refusalOf(info);
    int systemError = 0;
    if (!error && step(systemError))
        return true;
    if (why)
        *why = error ? *error : systemRefusal(target, systemError);
    return false;
}

} // namespace

bool AtomicFile::write(const QString& path, const QByteArray& bytes, WriteError* why) {
    const QFileInfo info(path);
    const QString file = target(info);
    return refusedOrDone(info, file, why, [&](int& error) { return replace(file, bytes, error); });
}

std::optional<WriteError> AtomicFile::refusal(const QString& path) {
    return refusalOf(QFileInfo(path));
}

bool AtomicFile::remove(const QString& path, WriteError* why) {
    const QFileInfo info(path);
    const QString file = info.absoluteFilePath();
    return refusedOrDone(info, file, why, [&](int& error) { return removeFile(file, error); });
}

bool AtomicFile::read(const QString& path, QByteArray& bytes, WriteError* why) {
    const QFileInfo info(path);
    bytes.clear();
    if (!info.exists())
        return true;
    std::optional<WriteError> error;
    int systemError = 0;
    if (!info.isFile())
        error = WriteError(WriteError::Reason::NotRegularFile);
    else if (readFile(info.absoluteFilePath(), bytes, systemError))
        return true;
    if (why)
        *why = error ? *error : systemRefusal(target(info), systemError);
    return false;
}
