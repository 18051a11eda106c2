#pragma once

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <thread>
#include <vector>

// A TCP peer on 127.0.0.1 that keeps a Firebird client waiting, on threads of
// its own so that it never depends on the events of the program under test.
// Either a listener that never answers properly, or a relay to a real server
// that pauses the server (SIGSTOP) at a chosen request or slows every reply.
// The destructor resumes a paused server and hangs up every connection.
class StallingPeer {
public:
    enum class Mode {
        Silent,    // accepts and reads, never writes
        Trickle,   // one byte every interval: an op_dummy packet, byte by byte
        KeepAlive, // a whole op_dummy packet every interval
        Relay,     // forwards to the server, pausing or slowing it as told
    };

    explicit StallingPeer(Mode mode, std::chrono::milliseconds interval = std::chrono::seconds(2));
    // A relay to the server listening on `serverPort`, whose process is `serverPid`.
    StallingPeer(quint16 serverPort, pid_t serverPid);
    ~StallingPeer();
    StallingPeer(const StallingPeer&) = delete;
    StallingPeer& operator=(const StallingPeer&) = delete;

    quint16 port() const { return m_port; }

    // Relay: stops the server just before it gets the `request`-th request that
    // the client sends on its `connection`-th connection once the wire is
    // encrypted (request 1 is the attach itself). Both count from 1.
    void pauseServerAt(int connection, int request);
    // Relay: holds every reply of the server this long before passing it on.
    void delayReplies(std::chrono::milliseconds delay);

    bool serverPaused() const { return m_paused; }
    int connections() const { return m_connections; }
    // Connections whose client has closed its end.
    int closedByClient() const { return m_closedByClient; }
    // Sizes of the requests each connection's client sent after the key exchange.
    std::vector<std::vector<int>> requests() const;

    // Ends every connection from this side, as a server that goes away does;
    // the client's side stays open until the client closes it.
    void hangUp();

private:
    void start();
    void acceptLoop();
    void stall(int client);
    void relay(int client, int connection);
    void forwardReplies(int server, int client);
    bool stopping() const { return m_stopping; }

    const Mode m_mode;
    const std::chrono::milliseconds m_interval;
    const quint16 m_serverPort = 0;
    const pid_t m_serverPid = 0;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping = false;
    std::atomic<bool> m_paused = false;
    std::atomic<int> m_connections = 0;
    std::atomic<int> m_closedByClient = 0;
    std::atomic<int> m_pauseConnection = 0;
    std::atomic<int> m_pauseRequest = 0;
    std::atomic<long long> m_replyDelayMs = 0;
    mutable std::mutex m_mutex;
    std::vector<int> m_sockets;
    std::vector<std::vector<int>> m_requests;
    std::thread m_acceptor;
    std::vector<std::thread> m_threads; // one per connection
};
