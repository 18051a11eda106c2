// Start-up of the program against a bare Qt window (bench_bare_window): for each
// launch, the time until the X server maps the first top-level window (wall), the
// CPU time the process used until then (all its threads), and its peak resident
// set. The program runs from a folder of its own beside a "ruv.ini" like the
// demo's. Needs an X server without a window manager:
//   Xvfb :113 & DISPLAY=:113 build/bench/bench_startup [rounds [program]]
// A program given (an installed copy, another build) replaces the one of this tree.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>
#include <xcb/xcb.h>

extern char** environ;

namespace {

struct Launch {
    double wallMs = 0;
    double cpuMs = 0;
    double peakMb = 0;
};

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Time on the CPU of every thread of `pid`, in nanoseconds.
double cpuMsOf(pid_t pid) {
    double ns = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            ns += stat.readLine().split(' ').value(0).toDouble();
    }
    return ns / 1e6;
}

double peakMbOf(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

class XServer {
public:
    XServer() : m_connection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_connection)) {
            std::fprintf(stderr, "no X server: set DISPLAY (Xvfb :113 & DISPLAY=:113 ...)\n");
            std::exit(2);
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~XServer() { xcb_disconnect(m_connection); }

    // Waits until a top-level window is mapped; false once `deadlineMs` has passed.
    bool waitForMap(double deadlineMs) {
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool mapped =
                    (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                    reinterpret_cast<xcb_map_notify_event_t*>(event)->event == m_root;
                std::free(event);
                if (mapped)
                    return true;
            }
            const int left = int(deadlineMs - nowMs());
            if (left <= 0)
                return false;
            pollfd wait{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&wait, 1, left);
        }
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

Launch launch(XServer& x, const std::string& program) {
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    // What the programs print would only get between the figures.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&quiet, 1, 2);
    pid_t pid = 0;
    const double start = nowMs();
    const int spawned = posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        std::perror(program.c_str());
        std::exit(1);
    }
    if (!x.waitForMap(start + 10000)) {
        std::fprintf(stderr, "%s: no window within 10 s\n", program.c_str());
        std::exit(1);
    }
    Launch result;
    result.wallMs = nowMs() - start;
    result.cpuMs = cpuMsOf(pid);
    result.peakMb = peakMbOf(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    const char* name;
    std::string program;
    std::vector<Launch> launches;

    Launch medians() const {
        std::vector<double> wall, cpu, peak;
        for (const Launch& l : launches) {
            wall.push_back(l.wallMs);
            cpu.push_back(l.cpuMs);
            peak.push_back(l.peakMb);
        }
        return {median(wall), median(cpu), median(peak)};
    }
};

// A copy of the program beside a "ruv.ini": it reads the file of its own folder.
std::string programBesideIni(const QTemporaryDir& folder, const QString& original) {
    const QString program = folder.filePath(QStringLiteral("parvel"));
    QFile::copy(original, program);
    QFile ini(folder.filePath(QStringLiteral("ruv.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[RUV]\r\nServidor=127.0.0.1\r\nServidorTabDef=127.0.0.1\r\n"
              "SO_Servidor=LINUX\r\nSO_ServidorTabDef=LINUX\r\n"
              "Caminho_Base_Dados=/srv/ruv/data/\r\nCaminho_TabDef=/srv/ruv/data/\r\n"
              "PORTACON=3055\r\nIPDS=127.0.0.1\r\nIPNET=127.0.0.1\r\n"
              "[RUV_ANEXO]\r\nServidor=127.0.0.1\r\nCaminho_Base_Dados=/srv/ruv/data/\r\n");
    return program.toStdString();
}

} // namespace

int main(int argc, char* argv[]) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir folder;
    XServer x;
    Series bare{"bare Qt window", BARE_WINDOW, {}};
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : PARVEL_PROGRAM;
    Series parvel{"parvel", programBesideIni(folder, program), {}};

    // One launch of each first, so that both start from a warm page cache.
    launch(x, bare.program);
    launch(x, parvel.program);
    std::printf("%-16s %10s %10s %10s\n", "", "wall ms", "CPU ms", "peak MB");
    for (int round = 0; round < rounds; ++round) {
        for (Series* series : {&bare, &parvel}) {
            const Launch l = launch(x, series->program);
            series->launches.push_back(l);
            std::printf("%-16s %10.1f %10.1f %10.1f\n", series->name, l.wallMs, l.cpuMs, l.peakMb);
        }
    }
    const Launch b = bare.medians(), p = parvel.medians();
    std::printf("\nmedians of %d rounds\n", rounds);
    for (const auto& [name, l] : {std::pair{bare.name, b}, std::pair{parvel.name, p}})
        std::printf("%-16s %10.1f %10.1f %10.1f\n", name, l.wallMs, l.cpuMs, l.peakMb);
    std::printf("%-16s %10.2f %10.2f %10.2f\n", "ratio", p.wallMs / b.wallMs, p.cpuMs / b.cpuMs,
                p.peakMb / b.peakMb);
    return 0;
}
