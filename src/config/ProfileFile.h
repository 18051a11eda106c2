#pragma once

#include <QList>
#include <QString>

// One profile (INI) file, addressed by its full path. Constructing it touches
// no file and never fails; every read opens the file anew and every write
// reaches the disk before it returns, so nothing is cached between calls.
// The file is read and written in the Windows-1252 code page.
class ProfileFile {
public:
    struct Entry {
        QString section;
        QString key;
        QString value;
        bool operator==(const Entry&) const = default;
    };

    explicit ProfileFile(const QString& fullPath);

    const QString& path() const { return m_path; }

    // The stored value, or defaultValue when the file, section or key is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // Decimal, or hexadecimal after "0x"; defaultValue when missing or no number.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;

    // Creates or replaces the entry; when the platform refuses the write, throws
    // AppError naming the file and the reason in Portuguese (WriteError) and
    // leaves the file as it was.
    void writeString(const QString& section, const QString& key, const QString& value);

    // The entries in their order, with one replace of the file: a kill or a
    // full disk leaves all of them written or none. The file ends up with the
    // bytes that one writeString per entry would give it.
    void writeStrings(const QList<Entry>& entries);

    // True for an existing file; a folder does not count.
    static bool fileExists(const QString& fullPath);

    // Removes the file; a missing file is no error. Throws AppError, naming the
    // file and the reason, when the file stays.
    static void deleteFile(const QString& fullPath);

private:
    QString m_path;
};
