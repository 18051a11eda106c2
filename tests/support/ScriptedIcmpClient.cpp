#include "ScriptedIcmpClient.h"

#include <QTest>

void ScriptedIcmpClient::setHost(const QString& host) {
    m_script->host = host;
    m_script->hostSetAtMs = m_script->clock.elapsed();
    if (!m_script->resolves)
        throw IcmpError("cannot resolve " + host.toStdString());
}

IcmpReport ScriptedIcmpClient::ping() {
    if (!m_script->permitted)
        throw IcmpNotPermitted("Sem permissão para enviar ping (roteiro do teste)");
    const int index = m_script->requests++;
    if (m_script->waitMs > 0)
        QTest::qWait(m_script->waitMs);
    if (index >= m_script->reports.size())
        throw IcmpError("scripted socket failure");
    IcmpReport report = m_script->reports.at(index);
    report.sequence = m_sequence++;
    return report;
}

std::shared_ptr<ScriptedIcmpClient::Script> ScriptedIcmpClient::install() {
    auto script = std::make_shared<Script>();
    script->clock.start();
    setFactoryForTesting([script] { return std::make_unique<ScriptedIcmpClient>(script); });
    return script;
}

void ScriptedIcmpClient::uninstall() {
    setFactoryForTesting({});
}

IcmpReport ScriptedIcmpClient::answer(int bytes, int rttMs) {
    IcmpReport report;
    report.bytes = bytes;
    report.sender = QStringLiteral("10.0.0.7");
    report.ttl = 128;
    report.rttMs = rttMs;
    return report;
}

IcmpReport ScriptedIcmpClient::timeOut() {
    IcmpReport report;
    report.sender = QStringLiteral("0.0.0.0");
    report.rttMs = kTimeoutMs;
    return report;
}
