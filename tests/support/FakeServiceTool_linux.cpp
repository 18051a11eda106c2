#include "FakeServiceTool.h"

#include <QFile>

// A shell script that notes its first argument and fails the commands listed.
bool FakeServiceTool::installTool(const QString& folder) {
    const QString tool = folder + "/instsvc.exe";
    QFile file(tool);
    const QByteArray script = ("#!/bin/sh\necho \"$1\" >>'" + folder + ".log'\n" +
                               "! grep -qx \"$1\" '" + folder + ".fail' 2>/dev/null || exit 3\n")
                                  .toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(script) == script.size() &&
           file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
}
