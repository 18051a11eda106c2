#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Whole files as bytes, for tests that compare what is on disk to the byte.
class FileBytes {
public:
    // "<missing>" when the file cannot be read, so a missing file never equals an
    // empty one.
    static QByteArray read(const QString& path);
    // Fails the running test when the bytes cannot be written.
    static void write(const QString& path, const QByteArray& bytes);
    // An INI text as the program writes one: the lines in the files' code page,
    // each ended with CR LF.
    static QByteArray iniText(const QStringList& lines);
};
