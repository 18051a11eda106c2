#include "Tmpfs.h"

bool Tmpfs::supported() {
    return false;
}

Tmpfs::Tmpfs(const QString& folder) : m_folder(folder) {}

Tmpfs::~Tmpfs() = default;

bool Tmpfs::remountReadOnly() {
    return false;
}

void Tmpfs::fill() {}
