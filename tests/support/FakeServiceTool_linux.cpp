#include "FakeServiceTool.h"

#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// A shell script. Its server is fake_server (built with the tests), which
// holds "<folder>.lock" for as long as it runs: "stop" kills it and waits for
// the lock, by which time its port is closed. The port is read from the file as
// the server reads it. A failure listed in "<folder>.fail" is taken off the
// list as it happens.
bool FakeServiceTool::installTool() const {
    const QString tool = m_folder + "/instsvc.exe";
    QByteArray script = R"SH(#!/bin/sh
F='FOLDER'
echo "$1" >>"$F.log"
how=$(sed -n "s/^$1 //p" "$F.fail" 2>/dev/null | head -n1)
if [ -n "$how" ]; then
    sed -i "0,/^$1 $how\$/{//d}" "$F.fail"
    case "$how" in
    refuse) exit 3 ;;
    pretend) exit 0 ;;
    hang) echo $$ >>"$F.hung"; exec sleep 600 ;;
    esac
fi
case "$1" in
stop)
    [ -s "$F.pid" ] || exit 3
    kill -9 "$(cat "$F.pid")"
    flock "$F.lock" true
    rm -f "$F.pid" ;;
start)
    [ -s "$F.pid" ] && exit 3
    port=$(sed -n 's/^[[:blank:]]*RemoteServicePort[[:blank:]]*=[[:blank:]]*\([0-9]*\).*/\1/Ip' "$F/firebird.conf" | tail -n1)
    'SERVER' "${port:-3050}" "$F.lock" >"$F.pid" || { rm -f "$F.pid"; exit 3; } ;;
*) exit 2 ;;
esac
)SH";
    script.replace("FOLDER", m_folder.toUtf8());
    script.replace("SERVER", FAKE_SERVER);
    QFile file(tool);
    return file.open(QIODevice::WriteOnly) && file.write(script) == script.size() &&
           file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
}

void FakeServiceTool::endServer() const {
    for (const char* list : {".hung", ".pid"}) {
        QFile pids(m_folder + list);
        if (!pids.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : pids.readAll().split('\n')) {
            if (pid.toInt() > 0)
                ::kill(pid.toInt(), SIGKILL);
        }
    }
    const int lock = ::open(QFile::encodeName(m_folder + ".lock").constData(), O_RDWR | O_CLOEXEC);
    if (lock >= 0) {
        ::flock(lock, LOCK_EX);
        ::close(lock);
    }
}
