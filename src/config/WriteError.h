#pragma once

#include <QString>
#include <QStringList>

class QFileDevice;

// Why the system refused to write a file, told to the operator in Portuguese
// with the file's name. Each platform turns its own error codes into one of the
// reasons (WriteError_linux.cpp, WriteError_windows.cpp); the sentences are
// the same everywhere.
class WriteError {
public:
    enum class Reason {
        Permission,
        NotRegularFile,
        DiskFull,
        ReadOnlyFileSystem,
        MissingFolder,
        InUse,
        Other
    };

    explicit WriteError(Reason reason = Reason::Other, int systemCode = 0)
        : m_reason(reason), m_systemCode(systemCode) {}

    // The error code of a failed system call (errno, GetLastError()); the code is
    // kept for the text of a reason not listed.
    static WriteError fromSystemCode(int code);
    // What Qt could tell of a file it failed to open or read.
    static WriteError fromFile(const QFileDevice& file);

    Reason reason() const { return m_reason; }
    int systemCode() const { return m_systemCode; }

    // The programs that hold the file, where the system can tell: a file in use
    // is said to be in use by them.
    void setHolders(const QStringList& holders) { m_holders = holders; }
    const QStringList& holders() const { return m_holders; }

    // The reason as the end of a sentence ("não há espaço livre no disco").
    QString reasonText() const;
    // "Não foi possível gravar o arquivo "<path>": <reason>."
    QString text(const QString& path) const;

private:
    Reason m_reason;
    int m_systemCode;
    QStringList m_holders;
};
