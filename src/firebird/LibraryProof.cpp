#include "firebird/LibraryProof.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace {

// The file as it stands: replacing or rewriting it changes one of these.
QString identity(const QString& path) {
    const QFileInfo info(path);
    return QStringLiteral("%1|%2|%3|%4")
        .arg(info.absoluteFilePath())
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.metadataChangeTime().toMSecsSinceEpoch());
}

// The save proves the library before the Local restart, the tester's worker
// before its load: the second finds the first's proof here.
QMutex provenLock;
QSet<QString> proven;

} // namespace

QString LibraryProof::problem(const QString& path, const QByteArrayList& functions) {
    const QString key = identity(path) + u'|' + QString::fromLatin1(functions.join(','));
    {
        const QMutexLocker lock(&provenLock);
        if (proven.contains(key))
            return QString();
    }
    const QString found = proveInChild(path, functions);
    if (found.isEmpty()) {
        const QMutexLocker lock(&provenLock);
        proven.insert(key);
    }
    return found;
}

QString LibraryProof::damaged(const QString& detail) {
    return QStringLiteral("a biblioteca está danificada (%1)").arg(detail);
}

QString LibraryProof::endedBySignal(const QString& signalName) {
    return damaged(QStringLiteral("a carga de prova terminou com o sinal %1").arg(signalName));
}

QString LibraryProof::endedWithCode(int code) {
    return damaged(
        QStringLiteral("a carga de prova encerrou o processo com o código %1").arg(code));
}

QString LibraryProof::endedByException(quint32 code) {
    QString name;
    switch (code) {
    case 0xC0000005u:
        name = QStringLiteral(", violação de acesso à memória");
        break;
    case 0xC000001Du:
        name = QStringLiteral(", instrução inválida");
        break;
    case 0xC00000FDu:
        name = QStringLiteral(", estouro de pilha");
        break;
    case 0xC0000409u:
        name = QStringLiteral(", estouro de buffer detectado");
        break;
    }
    const QString hex = QString::number(code, 16).toUpper();
    return damaged(QStringLiteral("a carga de prova terminou com a exceção 0x%1%2").arg(hex, name));
}

QString LibraryProof::missingFunction(const QByteArray& name) {
    return damaged(QStringLiteral("não tem a função \"%1\"").arg(QString::fromLatin1(name)));
}

QString LibraryProof::notEnded() {
    return damaged(QStringLiteral("a carga de prova não terminou em %1 segundos")
                       .arg(std::chrono::duration_cast<std::chrono::seconds>(bound).count()));
}

QString LibraryProof::proverMissing(const QString& path) {
    return QStringLiteral("falta o programa \"%1\", que prova a biblioteca antes da carga: "
                          "reinstale o Parvel com todos os arquivos do pacote")
        .arg(path);
}

QString LibraryProof::notStarted(int systemCode) {
    return QStringLiteral("a carga de prova da biblioteca não pôde começar (erro %1 do sistema)")
        .arg(systemCode);
}
