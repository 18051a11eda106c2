#include "FakeServiceTool.h"

#include <QCoreApplication>
#include <QFile>

// A copy of the small program built beside the tests (fake_instsvc.cpp).
bool FakeServiceTool::installTool(const QString& folder) {
    return QFile::copy(QCoreApplication::applicationDirPath() + "/instsvc.exe",
                       folder + "/instsvc.exe");
}
