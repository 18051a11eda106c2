#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

// Check of the internal-control report service: a GET of its address followed by
// "/ping", which a working service answers with the body "Pong".
class IntegrationProbe {
public:
    // A service that accepts the connection and never answers must not hold the
    // screen for good.
    static constexpr int kTimeoutMs = 10000;

    explicit IntegrationProbe(int timeoutMs = kTimeoutMs) : m_timeoutMs(timeoutMs) {}

    // `address` + "/ping" as typed: blanks inside it travel percent-encoded ("%20").
    // Blanks before the scheme cannot travel anywhere (a URL begins with its
    // scheme) and are left out, as browsers do. Throws AppError, in words the
    // operator reads, when what remains names no HTTP or HTTPS server.
    static QUrl requestUrl(const QString& address);

    // The body of the answer to requestUrl(`address`).
    // Redirects are not followed. Throws AppError with failureText() when there is
    // no answer in time, no connection, or a status other than 200.
    QByteArray ping(const QString& address) const;

    // What the operator reads when the request for `url` failed with `error`, or
    // was answered with `httpStatus` (0 when no answer came): a sentence that
    // names the address. The network layer's own texts are English and are never
    // shown.
    static QString failureText(QNetworkReply::NetworkError error, int httpStatus, const QUrl& url);

    // The probe button: a warning when the address is blank, otherwise the
    // confirmation dialog with the outcome, or the error box when the request failed.
    void check(const QString& address) const;

private:
    int m_timeoutMs;
};
