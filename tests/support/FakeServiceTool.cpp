#include "FakeServiceTool.h"

#include <QFile>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

FakeServiceTool::FakeServiceTool(const QString& folder) : m_folder(folder) {
    m_valid = installTool(m_folder) &&
              writeFile(m_folder + "/firebird.conf", "RemoteServicePort = 3050\r\n");
}

QByteArray FakeServiceTool::conf() const {
    return readFile(m_folder + "/firebird.conf");
}

bool FakeServiceTool::failOn(const QString& command) const {
    return writeFile(m_folder + ".fail", command.toUtf8() + '\n');
}

QStringList FakeServiceTool::commands() const {
    return QString::fromUtf8(readFile(m_folder + ".log")).split('\n', Qt::SkipEmptyParts);
}
