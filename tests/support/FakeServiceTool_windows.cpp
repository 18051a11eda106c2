#include "FakeServiceTool.h"

#include <QCoreApplication>
#include <QFile>
#include <windows.h>

// A copy of the small program built beside the tests (fake_instsvc.cpp); its
// server is another copy of it, run as "serve PORT".
bool FakeServiceTool::installTool() const {
    return QFile::copy(QCoreApplication::applicationDirPath() + "/instsvc.exe",
                       m_folder + "/instsvc.exe");
}

void FakeServiceTool::endServer() const {
    for (const char* list : {".hung", ".pid"}) {
        QFile ids(m_folder + list);
        if (!ids.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& id : ids.readAll().split('\n')) {
            const HANDLE process =
                id.toUInt() ? ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id.toUInt())
                            : nullptr;
            if (!process)
                continue;
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, INFINITE);
            ::CloseHandle(process);
        }
    }
}
