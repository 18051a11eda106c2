#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

// What one echo request came to. After a time-out: 0 bytes, sender "0.0.0.0",
// TTL 0 and the time waited.
struct IcmpReport {
    int32_t bytes = 0; // echo data bytes that came back
    QString sender;    // dotted decimal
    uint16_t sequence = 0;
    uint8_t ttl = 0;
    int32_t rttMs = 0;
};

// A host that cannot be resolved, a socket that cannot be opened or used. Not
// raised for a request that merely goes unanswered.
class IcmpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system opens no ICMP socket for this user. what() is the operator's
// explanation, in Portuguese (UTF-8), naming the fix.
class IcmpNotPermitted : public IcmpError {
public:
    using IcmpError::IcmpError;
};

// ICMP echo over IPv4, one blocking request at a time. Each client numbers its
// requests consecutively and marks them with an identifier of its own.
class IcmpClient {
public:
    static constexpr int kDataSize = 1024;
    static constexpr int kTimeoutMs = 500;

    virtual ~IcmpClient();

    // Resolves `host` (name or dotted address, used as given) for the requests
    // that follow. Throws IcmpError.
    virtual void setHost(const QString& host) = 0;
    // Sends one echo request and waits for its reply or the time-out. Throws
    // IcmpError on failure, never for a time-out.
    virtual IcmpReport ping() = 0;

    // The platform's client, or what the factory a test installed makes. Never
    // throws: sockets are opened when first needed.
    static std::unique_ptr<IcmpClient> create();
    // An empty factory restores the platform's client.
    static void setFactoryForTesting(std::function<std::unique_ptr<IcmpClient>()> factory);

private:
    static std::unique_ptr<IcmpClient> createPlatformClient();
};
