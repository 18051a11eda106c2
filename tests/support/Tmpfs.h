#pragma once

#include <QString>

// A 64 KiB tmpfs mounted over a folder for one test, so that refused writes are
// real even for root, whom permission bits do not stop. Unmounted when it goes
// out of scope. Windows has no such file system: there it never mounts.
class Tmpfs {
public:
    static bool supported();

    explicit Tmpfs(const QString& folder);
    ~Tmpfs();
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool mounted() const { return m_mounted; }
    bool remountReadOnly();
    // Takes the space that is left, so the next write meets "no space left".
    void fill();

private:
    QString m_folder;
    bool m_mounted = false;
};
