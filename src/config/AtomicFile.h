#pragma once

#include "config/WriteError.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Replaces a whole file so that a crash, a kill or a full disk leaves either
// the old or the new contents: the bytes go to a temporary file beside it,
// reach the disk, and the temporary is renamed over the old file. The file
// keeps what its owner gave it (owner, group, permissions, other names), and a
// symbolic link stays a link to the file it names. Where a new file could not
// keep them, or the folder takes no new files, the bytes go into the file
// itself: a full disk still leaves it whole, a crash in the middle may not.
class AtomicFile {
public:
    // False when the platform refuses the write; the old file is then untouched
    // and, when asked for, `why` tells the reason.
    // A file whose write-permission bits are all off counts as read-only even
    // for a user the bits do not stop, as the read-only attribute does on
    // Windows: renaming over it would otherwise succeed.
    static bool write(const QString& path, const QByteArray& bytes, WriteError* why = nullptr);

    // Why write would refuse the file before asking the platform (read-only, not
    // a regular file), known without touching it: a caller that must not start
    // what it cannot finish asks first. A write may still fail later (a full
    // disk, a file in use).
    static std::optional<WriteError> refusal(const QString& path);

    // Removes the file; a missing one is no error. A read-only file is refused
    // as write refuses it: its removal would change what the RUV programs see as
    // much as a write would.
    static bool remove(const QString& path, WriteError* why = nullptr);

    // The file's bytes into `bytes` (empty for a missing file). A file another
    // program holds is waited for as write waits for it, since a save reads the
    // file before it replaces it; when it stays unreadable, false, and `why`
    // tells the reason as write would.
    static bool read(const QString& path, QByteArray& bytes, WriteError* why = nullptr);

    // The programs that hold the file open, where the system can tell (Windows'
    // Restart Manager); a refused write or removal names them.
    static QStringList holders(const QString& path);

private:
    // The platform's half, one implementation file per platform: writes the
    // regular file at target (links already followed; it may not exist yet). On
    // failure systemError holds the platform's code (errno, GetLastError()).
    static bool replace(const QString& target, const QByteArray& bytes, int& systemError);
    static bool removeFile(const QString& path, int& systemError);
    static bool readFile(const QString& path, QByteArray& bytes, int& systemError);
};
