#include "StallingPeer.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Firebird's keep-alive packet: the operation code op_dummy (71), big-endian.
const QByteArray opDummy("\0\0\0\x47", 4);
// The client's request that switches the wire to encryption: op_crypt (96).
const QByteArray opCrypt("\0\0\0\x60", 4);

bool sendAll(int socket, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

// Waits up to `ms` for data; false when the peer closed its end or failed.
enum class Wait { Data, Quiet, Closed };
Wait waitForData(int socket, int ms) {
    pollfd poller{socket, POLLIN, 0};
    const int ready = ::poll(&poller, 1, ms);
    if (ready == 0)
        return Wait::Quiet;
    return ready > 0 ? Wait::Data : Wait::Closed;
}

} // namespace

StallingPeer::StallingPeer(Mode mode, std::chrono::milliseconds interval)
    : m_mode(mode), m_interval(interval) {
    start();
}

StallingPeer::StallingPeer(quint16 serverPort, pid_t serverPid)
    : m_mode(Mode::Relay), m_interval(0), m_serverPort(serverPort), m_serverPid(serverPid) {
    start();
}

StallingPeer::~StallingPeer() {
    m_stopping = true;
    if (m_paused)
        ::kill(m_serverPid, SIGCONT);
    ::shutdown(m_listener, SHUT_RDWR);
    m_acceptor.join();
    {
        std::lock_guard lock(m_mutex);
        for (int socket : m_sockets)
            ::shutdown(socket, SHUT_RDWR);
    }
    for (std::thread& thread : m_threads)
        thread.join();
    ::close(m_listener);
    for (int socket : m_sockets)
        ::close(socket);
}

void StallingPeer::start() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no loopback listener");
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

void StallingPeer::pauseServerAt(int connection, int request) {
    m_pauseConnection = connection;
    m_pauseRequest = request;
}

void StallingPeer::delayReplies(std::chrono::milliseconds delay) {
    m_replyDelayMs = delay.count();
}

std::vector<std::vector<int>> StallingPeer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void StallingPeer::hangUp() {
    std::lock_guard lock(m_mutex);
    for (int socket : m_sockets)
        ::shutdown(socket, SHUT_WR);
}

void StallingPeer::acceptLoop() {
    for (;;) {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0 || stopping()) {
            if (client >= 0)
                ::close(client);
            return;
        }
        const int connection = ++m_connections;
        std::lock_guard lock(m_mutex);
        m_sockets.push_back(client);
        if (m_mode == Mode::Relay)
            m_threads.emplace_back([this, client, connection] { relay(client, connection); });
        else
            m_threads.emplace_back([this, client] { stall(client); });
    }
}

void StallingPeer::stall(int client) {
    qsizetype next = 0; // of the op_dummy bytes, when trickling
    char buffer[4096];
    bool hungUp = false;
    while (!stopping()) {
        const Wait wait = waitForData(client, int(m_interval.count()));
        if (wait == Wait::Closed)
            return;
        if (wait == Wait::Data) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got == 0 && !stopping())
                ++m_closedByClient;
            if (got <= 0)
                return;
            continue;
        }
        if (m_mode == Mode::Silent || hungUp)
            continue;
        const bool sent = m_mode == Mode::Trickle
                              ? sendAll(client, opDummy.constData() + next++ % 4, 1)
                              : sendAll(client, opDummy.constData(), 4);
        hungUp = !sent;
    }
}

void StallingPeer::relay(int client, int connection) {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(m_serverPort);
    if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(server);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_sockets.push_back(server);
        if (m_requests.size() < size_t(connection))
            m_requests.resize(connection);
    }
    std::thread replies([this, server, client] { forwardReplies(server, client); });
    int request = -1; // counted once the client asked for encryption
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got == 0 && !stopping())
            ++m_closedByClient;
        if (got <= 0)
            break;
        if (request >= 0) {
            ++request;
            std::lock_guard lock(m_mutex);
            m_requests[connection - 1].push_back(int(got));
        } else if (QByteArray(buffer, 4) == opCrypt) {
            request = 0;
        }
        if (connection == m_pauseConnection && request == m_pauseRequest && !m_paused) {
            ::kill(m_serverPid, SIGSTOP);
            m_paused = true;
        }
        if (!sendAll(server, buffer, size_t(got)))
            break;
    }
    ::shutdown(server, SHUT_WR);
    replies.join();
}

void StallingPeer::forwardReplies(int server, int client) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::recv(server, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        const auto delay = std::chrono::milliseconds(m_replyDelayMs.load());
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);
        if (stopping() || !sendAll(client, buffer, size_t(got)))
            break;
    }
    ::shutdown(client, SHUT_WR);
}
