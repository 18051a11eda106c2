#include "probes/IcmpClient.h"

#include <string>
#include <vector>

// In this order: winsock2.h before windows.h, which iphlpapi.h brings in, and
// icmpapi.h uses its types without including it.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

namespace {

std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD size = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = size ? std::string(text, size) : "error " + std::to_string(code);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

[[noreturn]] void throwLastError(const std::string& what) {
    throw IcmpError(what + ": " + systemMessage(::GetLastError()));
}

// The system's ICMP service: it numbers and matches the requests itself, so the
// sequence in the report is this client's own count.
class WindowsIcmpClient : public IcmpClient {
public:
    ~WindowsIcmpClient() override {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::IcmpCloseHandle(m_handle);
        if (m_winsock)
            ::WSACleanup();
    }

    void setHost(const QString& host) override {
        startWinsock();
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* found = nullptr;
        const int rc = ::getaddrinfo(host.toLocal8Bit().constData(), nullptr, &hints, &found);
        if (rc != 0)
            throw IcmpError("cannot resolve " + host.toStdString() + ": " +
                            systemMessage(DWORD(rc)));
        m_target = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        ::freeaddrinfo(found);
        m_hasTarget = true;
    }

    IcmpReport ping() override {
        if (!m_hasTarget)
            throw IcmpError("no host to ping");
        open();
        IcmpReport report;
        report.sequence = m_sequence++;
        std::vector<char> request(kDataSize);
        for (int i = 0; i < kDataSize; ++i)
            request[i] = char('a' + i % 23);
        // Room for one reply with all its data and an ICMP error's extra bytes.
        std::vector<char> reply(sizeof(ICMP_ECHO_REPLY) + kDataSize + 8 + 64);
        const ULONGLONG start = ::GetTickCount64();
        const DWORD replies =
            ::IcmpSendEcho(m_handle, m_target, request.data(), WORD(kDataSize), nullptr,
                           reply.data(), DWORD(reply.size()), kTimeoutMs);
        report.rttMs = int32_t(::GetTickCount64() - start);
        if (replies == 0) {
            if (::GetLastError() != IP_REQ_TIMED_OUT)
                throwLastError("cannot send the echo request");
            report.sender = QStringLiteral("0.0.0.0");
            return report;
        }
        const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
        in_addr sender{};
        sender.s_addr = echo->Address;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &sender, text, sizeof text);
        report.sender = QString::fromLatin1(text);
        if (echo->Status == IP_SUCCESS) {
            report.bytes = int32_t(echo->DataSize);
            report.ttl = echo->Options.Ttl;
            report.rttMs = int32_t(echo->RoundTripTime);
        } else if (echo->Status == IP_REQ_TIMED_OUT) {
            report.sender = QStringLiteral("0.0.0.0");
        }
        return report;
    }

private:
    void startWinsock() {
        if (m_winsock)
            return;
        WSADATA data;
        const int rc = ::WSAStartup(MAKEWORD(2, 2), &data);
        if (rc != 0)
            throw IcmpError("cannot start Windows Sockets: " + systemMessage(DWORD(rc)));
        m_winsock = true;
    }

    void open() {
        if (m_handle != INVALID_HANDLE_VALUE)
            return;
        m_handle = ::IcmpCreateFile();
        if (m_handle == INVALID_HANDLE_VALUE)
            throwLastError("cannot open the ICMP service");
    }

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_winsock = false;
    bool m_hasTarget = false;
    IPAddr m_target = 0;
    uint16_t m_sequence = 1;
};

} // namespace

std::unique_ptr<IcmpClient> IcmpClient::createPlatformClient() {
    return std::make_unique<WindowsIcmpClient>();
}
