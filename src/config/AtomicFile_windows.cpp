#include "config/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <string>
#include <windows.h>

namespace {

bool failed(int& systemError) {
    systemError = int(::GetLastError());
    return false;
}

// A new file beside the target (created by the system under a name of its own),
// written through to the disk before anything renames it.
class Temporary {
public:
    explicit Temporary(const std::wstring& folder) {
        wchar_t name[MAX_PATH + 1] = {};
        if (::GetTempFileNameW(folder.c_str(), L"prv", 0, name) != 0)
            m_path = name;
    }
    ~Temporary() {
        if (!m_path.empty())
            ::DeleteFileW(m_path.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    bool created() const { return !m_path.empty(); }
    const std::wstring& path() const { return m_path; }

    bool fill(const QByteArray& bytes) {
        const HANDLE file = ::CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr,
                                          TRUNCATE_EXISTING, FILE_FLAG_WRITE_THROUGH, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const bool ok =
            ::WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
            written == DWORD(bytes.size()) && ::FlushFileBuffers(file);
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        ::SetLastError(error);
        return ok;
    }

    // After a rename the temporary no longer exists under its own name.
    void renamed() { m_path.clear(); }

private:
    std::wstring m_path;
};

} // namespace

// ReplaceFileW keeps what the old file had (security, creation time, short name);
// the attributes go to the temporary first, since Wine's ReplaceFileW drops them.
// A file that does not exist yet is moved into place.
bool AtomicFile::replace(const QString& target, const QByteArray& bytes, int& systemError) {
    const std::wstring path = QDir::toNativeSeparators(target).toStdWString();
    const std::wstring folder =
        QDir::toNativeSeparators(QFileInfo(target).absolutePath()).toStdWString();
    Temporary temporary(folder);
    if (!temporary.created() || !temporary.fill(bytes))
        return failed(systemError);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && !::SetFileAttributesW(temporary.path().c_str(), attributes))
        return failed(systemError);
    const bool replaced =
        exists ? ::ReplaceFileW(path.c_str(), temporary.path().c_str(), nullptr,
                                REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               : ::MoveFileExW(temporary.path().c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!replaced)
        return failed(systemError);
    temporary.renamed();
    return true;
}
