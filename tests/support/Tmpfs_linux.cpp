#include "Tmpfs.h"

#include <QFile>
#include <QProcess>

namespace {

bool run(const QString& program, const QStringList& arguments) {
    return QProcess::execute(program, arguments) == 0;
}

} // namespace

bool Tmpfs::supported() {
    return true;
}

Tmpfs::Tmpfs(const QString& folder) : m_folder(folder) {
    m_mounted = run("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder});
}

Tmpfs::~Tmpfs() {
    if (m_mounted)
        run("umount", {m_folder});
}

bool Tmpfs::remountReadOnly() {
    return run("mount", {"-o", "remount,ro", m_folder});
}

void Tmpfs::fill() {
    QFile filler(m_folder + "/filler");
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
}
