#include "config/AtomicFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A temporary is named after its file, "ruv.ini.parvel-tmp-" and six letters or
// digits, so that what an interrupted write left behind is told apart from
// every other file of the folder.
const QByteArray kTemporaryMark = QByteArrayLiteral(".parvel-tmp-");
constexpr qsizetype kSuffixLength = 6;
const char kSuffixCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

// The file's folder and name, as the system spells them.
struct Place {
    explicit Place(const QString& target) : path(QFile::encodeName(target)) {
        const qsizetype slash = path.lastIndexOf('/');
        folder = slash > 0 ? path.first(slash) : QByteArray("/");
        name = path.sliced(slash + 1);
    }
    QByteArray path;
    QByteArray folder;
    QByteArray name;
};

bool failed(int& systemError) {
    systemError = errno;
    return false;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(fd, bytes.constData() + done, bytes.size() - done, done);
        if (written < 0 && errno != EINTR)
            return false;
        done += qMax<ssize_t>(written, 0);
    }
    return true;
}

bool isTemporaryOf(const Place& place, QByteArrayView entry) {
    const QByteArray prefix = place.name + kTemporaryMark;
    if (entry.size() != prefix.size() + kSuffixLength || !entry.startsWith(prefix))
        return false;
    const QByteArrayView allowed(kSuffixCharacters);
    for (const char c : entry.sliced(prefix.size())) {
        if (!allowed.contains(c))
            return false;
    }
    return true;
}

// A temporary beside the file, locked while its write runs: a lock that can be
// taken tells a leftover from the temporary of a write still running.
class Temporary {
public:
    Temporary(const Place& place, mode_t mode) {
        for (int attempt = 0; attempt < 100 && !m_fd.valid(); ++attempt) {
            m_path = place.path + kTemporaryMark;
            for (qsizetype i = 0; i < kSuffixLength; ++i)
                m_path += kSuffixCharacters[QRandomGenerator::global()->bounded(62)];
            m_fd = Descriptor(
                ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
            if (!m_fd.valid() && errno != EEXIST)
                return;
        }
        if (m_fd.valid())
            ::flock(m_fd.get(), LOCK_EX);
    }

    bool created() const { return m_fd.valid(); }

    // As root the owner comes over too; anyone else keeps only a group he is
    // a member of, and is refused otherwise.
    bool takeOver(const struct stat& old) {
        return ::fchown(m_fd.get(), old.st_uid, old.st_gid) == 0 &&
               ::fchmod(m_fd.get(), old.st_mode & 07777) == 0;
    }

    bool fill(const QByteArray& bytes) {
        return writeAll(m_fd.get(), bytes) && ::fsync(m_fd.get()) == 0;
    }

    bool renameOver(const Place& place) {
        return ::rename(m_path.constData(), place.path.constData()) == 0;
    }

    void remove() {
        const int error = errno;
        ::unlink(m_path.constData());
        errno = error;
    }

private:
    QByteArray m_path;
    Descriptor m_fd;
};

// Room for the new contents is taken before a byte changes, so that a full
// disk refuses the write and leaves the file whole.
bool writeInPlace(const Place& place, const QByteArray& bytes, int& systemError) {
    const Descriptor fd(::open(place.path.constData(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid())
        return failed(systemError);
    if (::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, qMax<off_t>(bytes.size(), 1)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        return failed(systemError);
    if (!writeAll(fd.get(), bytes) || ::ftruncate(fd.get(), bytes.size()) != 0 ||
        ::fsync(fd.get()) != 0)
        return failed(systemError);
    return true;
}

// The new name reaches the disk; then the leftovers of interrupted writes of
// the same file go.
void settleFolder(const Place& place) {
    const int folder = ::open(place.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    ::fsync(folder);
    DIR* entries = ::fdopendir(folder);
    if (!entries) {
        ::close(folder);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        if (!isTemporaryOf(place, entry->d_name))
            continue;
        const Descriptor leftover(
            ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (leftover.valid() && ::fstat(leftover.get(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(leftover.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
}

bool replaceOrWriteInPlace(const Place& place, const QByteArray& bytes, int& systemError) {
    struct stat old {};
    const bool exists = ::stat(place.path.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return failed(systemError);
    // A rename would leave the file's other names with the old contents.
    if (exists && old.st_nlink > 1)
        return writeInPlace(place, bytes, systemError);
    Temporary temporary(place, exists ? 0600 : 0666);
    if (!temporary.created()) {
        // A folder that takes no new files may hold a file its user may write.
        if (exists && (errno == EACCES || errno == EPERM))
            return writeInPlace(place, bytes, systemError);
        return failed(systemError);
    }
    if (exists && !temporary.takeOver(old)) {
        temporary.remove();
        return writeInPlace(place, bytes, systemError);
    }
    if (!temporary.fill(bytes) || !temporary.renameOver(place)) {
        temporary.remove();
        return failed(systemError);
    }
    return true;
}

} // namespace

bool AtomicFile::replace(const QString& target, const QByteArray& bytes, int& systemError) {
    const Place place(target);
    if (!replaceOrWriteInPlace(place, bytes, systemError))
        return false;
    settleFolder(place);
    return true;
}

// Files are not held here: a program that has a file open keeps the old one
// when it is replaced.
QStringList AtomicFile::holders(const QString&) {
    return {};
}

bool AtomicFile::removeFile(const QString& path, int& systemError) {
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT ||
           failed(systemError);
}

// Nothing holds a file against reading on Linux: no wait.
bool AtomicFile::readFile(const QString& path, QByteArray& bytes, int& systemError) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        systemError = errno;
        return false;
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        systemError = EIO;
        return false;
    }
    bytes = file.readAll();
    return true;
}
