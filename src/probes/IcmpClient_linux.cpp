#include "funcoes/Platform.h"
#include "probes/IcmpClient.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kEchoRequest = 8;
constexpr uint8_t kEchoReply = 0;
constexpr int kIcmpHeaderSize = 8;

[[noreturn]] void throwErrno(const std::string& what) {
    throw IcmpError(what + ": " + std::strerror(errno));
}

// Neither socket kind is open to this user: datagram sockets only to the groups
// of net.ipv4.ping_group_range, raw sockets only with cap_net_raw, which the
// system's ping carries.
[[noreturn]] void throwNotPermitted() {
    const QString text =
        QStringLiteral("Sem permissão para enviar ping: este sistema não abre sockets ICMP para "
                       "este usuário. O administrador corrige concedendo ao programa a "
                       "capacidade cap_net_raw (como o ping do sistema): setcap cap_net_raw+ep %1")
            .arg(platform::executableFilePath());
    throw IcmpNotPermitted(text.toStdString());
}

bool refused(int error) {
    return error == EACCES || error == EPERM;
}

uint16_t internetChecksum(const std::vector<uint8_t>& data) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        sum += uint32_t(data[i]) << 8 | data[i + 1];
    if (data.size() % 2)
        sum += uint32_t(data.back()) << 8;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return uint16_t(~sum);
}

// Different in every client of every process, so that replies to another
// client's requests are told apart on a raw socket.
uint16_t newIdentifier() {
    static std::atomic<uint16_t> counter{0};
    const uint32_t mixed = uint32_t(getpid()) * 2654435761u;
    return uint16_t((mixed >> 16) + counter++);
}

class LinuxIcmpClient : public IcmpClient {
public:
    ~LinuxIcmpClient() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    void setHost(const QString& host) override {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* found = nullptr;
        const int rc = getaddrinfo(host.toLocal8Bit().constData(), nullptr, &hints, &found);
        if (rc != 0)
            throw IcmpError("cannot resolve " + host.toStdString() + ": " + gai_strerror(rc));
        std::memcpy(&m_target, found->ai_addr, sizeof m_target);
        freeaddrinfo(found);
        m_hasTarget = true;
    }

    IcmpReport ping() override {
        if (!m_hasTarget)
            throw IcmpError("no host to ping");
        open();
        IcmpReport report;
        report.sequence = m_sequence++;
        const auto start = Clock::now();
        send(report.sequence);
        const auto deadline = start + std::chrono::milliseconds(kTimeoutMs);
        while (!receive(report, deadline)) {
            if (Clock::now() >= deadline) {
                report.sender = QStringLiteral("0.0.0.0");
                break;
            }
        }
        report.rttMs = int32_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        return report;
    }

private:
    // The unprivileged datagram socket where the system allows it; the kernel then
    // owns the identifier and hands over only our own replies, without IP header.
    void open() {
        if (m_fd >= 0)
            return;
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        m_raw = m_fd < 0;
        const int datagramError = errno;
        if (m_raw)
            m_fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (m_fd < 0 && refused(datagramError) && refused(errno))
            throwNotPermitted();
        if (m_fd < 0)
            throwErrno("cannot open an ICMP socket");
        const int on = 1;
        if (!m_raw && ::setsockopt(m_fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on) < 0)
            throwErrno("cannot ask for the TTL of replies");
    }

    void send(uint16_t sequence) {
        std::vector<uint8_t> packet(kIcmpHeaderSize + kDataSize);
        packet[0] = kEchoRequest;
        packet[4] = uint8_t(m_identifier >> 8);
        packet[5] = uint8_t(m_identifier);
        packet[6] = uint8_t(sequence >> 8);
        packet[7] = uint8_t(sequence);
        for (int i = 0; i < kDataSize; ++i)
            packet[kIcmpHeaderSize + i] = uint8_t('a' + i % 23);
        const uint16_t sum = internetChecksum(packet);
        packet[2] = uint8_t(sum >> 8);
        packet[3] = uint8_t(sum);
        if (::sendto(m_fd, packet.data(), packet.size(), 0,
                     reinterpret_cast<const sockaddr*>(&m_target), sizeof m_target) < 0)
            throwErrno("cannot send the echo request");
    }

    // Waits until the deadline for one datagram; true when it was the reply to
    // `report.sequence`, which is then filled in.
    bool receive(IcmpReport& report, Clock::time_point deadline) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd wait{m_fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, int(left));
        if (ready < 0 && errno != EINTR)
            throwErrno("cannot wait for the echo reply");
        if (ready <= 0)
            return false;

        uint8_t buffer[65536];
        alignas(cmsghdr) uint8_t control[64];
        sockaddr_in from{};
        iovec io{buffer, sizeof buffer};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(m_fd, &message, 0);
        if (size < 0) {
            if (errno == EINTR || errno == EAGAIN)
                return false;
            throwErrno("cannot read the echo reply");
        }

        const uint8_t* icmp = buffer;
        ssize_t icmpSize = size;
        int ttl = 0;
        if (m_raw) {
            if (size < 20)
                return false;
            const int headerSize = (buffer[0] & 0x0f) * 4;
            ttl = buffer[8];
            icmp += headerSize;
            icmpSize -= headerSize;
        } else {
            ttl = ttlOf(message);
        }
        if (icmpSize < kIcmpHeaderSize || icmp[0] != kEchoReply || icmp[1] != 0)
            return false;
        const uint16_t identifier = uint16_t(icmp[4] << 8 | icmp[5]);
        const uint16_t sequence = uint16_t(icmp[6] << 8 | icmp[7]);
        if (sequence != report.sequence || (m_raw && identifier != m_identifier))
            return false;

        char sender[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &from.sin_addr, sender, sizeof sender);
        report.bytes = int32_t(icmpSize - kIcmpHeaderSize);
        report.sender = QString::fromLatin1(sender);
        report.ttl = uint8_t(ttl);
        return true;
    }

    static int ttlOf(msghdr& message) {
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
                int ttl = 0;
                std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
                return ttl;
            }
        }
        return 0;
    }

    int m_fd = -1;
    bool m_raw = false;
    bool m_hasTarget = false;
    sockaddr_in m_target{};
    const uint16_t m_identifier = newIdentifier();
    uint16_t m_sequence = 1;
};

} // namespace

std::unique_ptr<IcmpClient> IcmpClient::createPlatformClient() {
    return std::make_unique<LinuxIcmpClient>();
}
