#include "FileBytes.h"

#include "config/Windows1252.h"

#include <QFile>
#include <QTest>

QByteArray FileBytes::read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void FileBytes::write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray FileBytes::iniText(const QStringList& lines) {
    return Windows1252::encode(lines.join("\r\n") + "\r\n");
}
