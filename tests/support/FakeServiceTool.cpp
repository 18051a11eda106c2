#include "FakeServiceTool.h"

#include "ServerInstallation.h"
#include "funcoes/funcoes.h"

#include <QFile>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode) {
    QFile file(path);
    return file.open(mode) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Through the program's own starter, as the save runs the tool: Qt's QProcess
// under Wine was seen to post from its thread-pool watchers to a finished
// process's freed watcher, which crashed the test later.
bool startServer(const QString& tool) {
    int code = -1;
    return ExecutaProgramaComLimite(
               tool, QStringLiteral("start"), 0, 30000, [] {}, &code) ==
               platform::ProcessEnd::Ended &&
           code == 0;
}

} // namespace

FakeServiceTool::FakeServiceTool(const QString& folder, const QByteArray& conf, bool serving)
    : m_folder(folder) {
    const QByteArray bytes =
        conf.isNull() ? "RemoteServicePort = " + ServerInstallation::freePort().toLatin1() + "\r\n"
                      : conf;
    m_valid =
        installTool() && writeFile(m_folder + "/firebird.conf", bytes, QIODevice::WriteOnly) &&
        (!serving || (startServer(m_folder + "/instsvc.exe") && QFile::remove(m_folder + ".log")));
}

FakeServiceTool::~FakeServiceTool() {
    endServer();
    QFile::remove(m_folder + ".pid");
    QFile::remove(m_folder + ".hung");
}

QByteArray FakeServiceTool::conf() const {
    return readFile(m_folder + "/firebird.conf");
}

bool FakeServiceTool::misbehave(const QString& command, Failure how) const {
    const char* const words[] = {" refuse\n", " hang\n", " pretend\n"};
    const QByteArray line = command.toUtf8() + words[int(how)];
    return writeFile(m_folder + ".fail", line, QIODevice::Append);
}

QStringList FakeServiceTool::commands() const {
    return QString::fromUtf8(readFile(m_folder + ".log")).split('\n', Qt::SkipEmptyParts);
}
