#include "config/AtomicFile.h"
#include "config/WindowsFileCalls.h"
#include "config/WindowsFileHolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <climits>
#include <string>
#include <windows.h>

namespace {

// How long a file another program holds is waited for, each step of a save on its
// own (the read before it, the temporary, the replace), and the step between
// tries. A RUV program or a virus scanner lets go within a few seconds; 5 s
// covers a hold of 4 s from the key that starts a save, whose read comes after
// the key.
constexpr ULONGLONG heldForMs = 5000;
constexpr DWORD stepMs = 50;

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool failed(int& systemError, DWORD code) {
    systemError = int(code);
    return false;
}

// The codes of a file another program holds: a sharing or lock violation, an
// access denied to a file open without delete sharing or waiting for its
// deletion, ReplaceFileW's "could not remove the replaced file".
bool isHeld(DWORD code) {
    const WriteError::Reason reason = WriteError::fromSystemCode(int(code)).reason();
    return reason == WriteError::Reason::InUse || reason == WriteError::Reason::Permission;
}

// Another program may hold a file the replace needs for a moment (a RUV program,
// Explorer's preview, a virus scanner that opened the new temporary the moment it
// was written): such a failure is tried again for a while. The windows keep
// painting meanwhile; user input waits, so no second save can start.
class HeldFileWait {
public:
    // True when the step that failed with `code` is worth trying again, after a pause.
    bool again(DWORD code) {
        if (!isHeld(code) || ::GetTickCount64() >= m_deadline)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        ::Sleep(stepMs);
        return true;
    }

private:
    const ULONGLONG m_deadline = ::GetTickCount64() + heldForMs;
};

// The last error is the step's.
template <typename Step> bool whileHeld(Step step) {
    HeldFileWait wait;
    while (!step()) {
        const DWORD code = ::GetLastError();
        if (!wait.again(code)) {
            ::SetLastError(code);
            return false;
        }
    }
    return true;
}

bool moveInto(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
}

bool writeAll(HANDLE file, const QByteArray& bytes) {
    DWORD written = 0;
    return ::WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
           written == DWORD(bytes.size());
}

// A handle closed on every way out, keeping the last error of the work done with it.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        const DWORD error = ::GetLastError();
        if (valid())
            ::CloseHandle(m_handle);
        ::SetLastError(error);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

HANDLE openForWriting(const std::wstring& path, DWORD disposition) {
    HANDLE file = INVALID_HANDLE_VALUE;
    whileHeld([&] {
        file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                             FILE_FLAG_WRITE_THROUGH, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    return file;
}

// Room for the new contents is taken before a byte changes, so that a full disk
// refuses the write with the file whole; the allocation never goes below the
// file's size, which would cut it. A file system without allocations is written
// anyway.
bool reserve(HANDLE file, qsizetype size) {
    LARGE_INTEGER current{};
    if (!::GetFileSizeEx(file, &current))
        return false;
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = qMax<LONGLONG>(current.QuadPart, qMax<qsizetype>(size, 1));
    if (::SetFileInformationByHandle(file, FileAllocationInfo, &allocation, sizeof allocation))
        return true;
    const DWORD code = ::GetLastError();
    return code != ERROR_DISK_FULL && code != ERROR_HANDLE_DISK_FULL;
}

// Where the folder takes no new file but the file may be written, the bytes go
// into the file itself, as on Linux: a full disk still leaves it whole, a crash in
// the middle may not.
bool writeInPlace(const std::wstring& path, const QByteArray& bytes, int& systemError) {
    bool written = false;
    {
        // Closed before the holders are asked for, or this program would be one.
        const Handle file(openForWriting(path, OPEN_EXISTING));
        written = file.valid() && reserve(file.get(), bytes.size()) &&
                  writeAll(file.get(), bytes) && ::SetEndOfFile(file.get()) &&
                  ::FlushFileBuffers(file.get());
    }
    return written || failed(systemError, ::GetLastError());
}

// A new file beside the target (created by the system under a name of its own),
// written through to the disk before anything renames it. ReplaceFileW moves the
// old file to a backup name of ours, so that a replace failing half-way leaves it
// where it can be put back.
class Temporary {
public:
    explicit Temporary(const std::wstring& folder) {
        wchar_t name[MAX_PATH + 1] = {};
        if (WindowsFileCalls::current().temporaryName(folder.c_str(), L"prv", 0, name) == 0)
            return;
        m_path = name;
        m_backup = m_path + L".old";
    }
    ~Temporary() {
        if (!m_path.empty() && !m_stranded)
            ::DeleteFileW(m_path.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    bool created() const { return !m_path.empty(); }
    const std::wstring& path() const { return m_path; }

    bool fill(const QByteArray& bytes) {
        const Handle file(openForWriting(m_path, TRUNCATE_EXISTING));
        return file.valid() && writeAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    }

    bool moveInto(const std::wstring& target) {
        if (!whileHeld([&] { return ::moveInto(m_path, target); }))
            return false;
        m_path.clear();
        return true;
    }

    bool replace(const std::wstring& target, int& systemError);

private:
    bool replaceOnce(const std::wstring& target, DWORD& code);
    bool settle(const std::wstring& target, DWORD code);

    std::wstring m_path;
    std::wstring m_backup;
    bool m_stranded = false;
};

bool Temporary::replace(const std::wstring& target, int& systemError) {
    // A backup of that name can only be the leftover of an interrupted save.
    ::DeleteFileW(m_backup.c_str());
    HeldFileWait wait;
    DWORD code = ERROR_SUCCESS;
    while (!replaceOnce(target, code)) {
        if (m_stranded || !wait.again(code))
            return failed(systemError, code);
    }
    return true;
}

bool Temporary::replaceOnce(const std::wstring& target, DWORD& code) {
    if (WindowsFileCalls::current().replace(target.c_str(), m_path.c_str(), m_backup.c_str(),
                                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        m_path.clear();
        ::DeleteFileW(m_backup.c_str());
        return true;
    }
    code = ::GetLastError();
    return settle(target, code);
}

// After a failed ReplaceFileW a file stands under the target's name again: when
// only the last move failed (1176), the new contents are moved into place and the
// save has succeeded; otherwise (1177 and the rest) the old file goes back. Each
// is the other's fallback. Both stay under their own names if neither can move.
bool Temporary::settle(const std::wstring& target, DWORD code) {
    if (!exists(target)) {
        if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
            if (::moveInto(m_path, target))
                m_path.clear();
            else
                ::moveInto(m_backup, target);
        } else if (!::moveInto(m_backup, target) && ::moveInto(m_path, target)) {
            m_path.clear();
        }
    }
    if (!exists(target)) {
        m_stranded = true;
        return false;
    }
    ::DeleteFileW(m_backup.c_str());
    return m_path.empty();
}

} // namespace

// ReplaceFileW keeps what the old file had (security, creation time, short name);
// the attributes go to the temporary first, since Wine's ReplaceFileW drops them.
// A file that does not exist yet is moved into place.
bool AtomicFile::replace(const QString& target, const QByteArray& bytes, int& systemError) {
    const std::wstring path = native(target);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    Temporary temporary(native(QFileInfo(target).absolutePath()));
    if (!temporary.created()) {
        const DWORD code = ::GetLastError();
        if (exists && code == ERROR_ACCESS_DENIED)
            return writeInPlace(path, bytes, systemError);
        return failed(systemError, code);
    }
    if (!temporary.fill(bytes) ||
        (exists && !::SetFileAttributesW(temporary.path().c_str(), attributes)))
        return failed(systemError, ::GetLastError());
    if (!exists)
        return temporary.moveInto(path) || failed(systemError, ::GetLastError());
    return temporary.replace(path, systemError);
}

// A file another program holds is waited for, as a replace waits for it.
bool AtomicFile::removeFile(const QString& path, int& systemError) {
    const std::wstring name = native(path);
    const bool removed = whileHeld(
        [&] { return ::DeleteFileW(name.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND; });
    return removed || failed(systemError, ::GetLastError());
}

// Others may go on reading and writing the file meanwhile, as they could with
// any program that reads it.
bool AtomicFile::readFile(const QString& path, QByteArray& bytes, int& systemError) {
    const std::wstring name = native(path);
    HANDLE opened = INVALID_HANDLE_VALUE;
    whileHeld([&] {
        opened = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return opened != INVALID_HANDLE_VALUE;
    });
    bool read = false;
    {
        // Closed before the holders are asked for, or this program would be one.
        const Handle file(opened);
        LARGE_INTEGER size{};
        read = file.valid() && ::GetFileSizeEx(file.get(), &size) && size.QuadPart < INT_MAX;
        if (read) {
            bytes.resize(qsizetype(size.QuadPart));
            DWORD got = 0;
            read = ::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr);
            bytes.truncate(got);
        }
    }
    return read || failed(systemError, ::GetLastError());
}

QStringList AtomicFile::holders(const QString& path) {
    return WindowsFileHolders::of(native(path));
}
