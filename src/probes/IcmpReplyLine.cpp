#include "probes/IcmpReplyLine.h"

#include <cmath>

namespace {

constexpr int kFullEcho = 72;

QString lossText(int bytes) {
    if (bytes >= kFullEcho)
        return QString();
    const int lost = kFullEcho - bytes;
    // nearbyint rounds an exact half to the even neighbour.
    const auto percent = static_cast<long long>(std::nearbyint(lost * 100.0 / kFullEcho));
    return QStringLiteral("->%1 Bytes Perdidos  %2% de Perda")
        .arg(lost)
        .arg(percent, 2, 10, QLatin1Char('0'));
}

QString timeText(int rttMs) {
    return rttMs == 0 ? QStringLiteral("<1") : QStringLiteral("=%1").arg(rttMs);
}

} // namespace

QString icmpReplyLine(const IcmpReport& report) {
    return QStringLiteral("%1 bytes de %2: sequencia#=%3 tempo-de-vida(ttl)=%4 tempo%5 ms %6")
        .arg(QString::number(report.bytes), report.sender, QString::number(report.sequence),
             QString::number(report.ttl), timeText(report.rttMs), lossText(report.bytes));
}
