#pragma once

#include "probes/IcmpClient.h"

#include <QElapsedTimer>
#include <QList>
#include <memory>

// ICMP client for tests: answers from a script instead of the network. Every
// client the factory makes reads and notes into the same Script.
class ScriptedIcmpClient : public IcmpClient {
public:
    struct Script {
        bool resolves = true;
        bool permitted = true;     // false: the system opens no ICMP socket for this user
        QList<IcmpReport> reports; // one per request; a request beyond them fails
        int waitMs = 0;            // events are processed this long per request
        QElapsedTimer clock;       // started by install()
        QString host;              // as the client was given it
        qint64 hostSetAtMs = -1;
        int requests = 0;
    };

    explicit ScriptedIcmpClient(std::shared_ptr<Script> script) : m_script(std::move(script)) {}

    void setHost(const QString& host) override;
    IcmpReport ping() override;

    // Makes IcmpClient::create() hand out scripted clients until uninstall().
    static std::shared_ptr<Script> install();
    static void uninstall();

    // Report of an answered request, and of one that timed out.
    static IcmpReport answer(int bytes = kDataSize, int rttMs = 0);
    static IcmpReport timeOut();

private:
    std::shared_ptr<Script> m_script;
    uint16_t m_sequence = 1;
};
