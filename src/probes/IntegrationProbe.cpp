#include "probes/IntegrationProbe.h"

#include "funcoes/AppError.h"
#include "funcoes/funcoes.h"
#include "ui/DialogService.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>

QUrl IntegrationProbe::requestUrl(const QString& address) {
    const QString typed = address + QStringLiteral("/ping");
    qsizetype start = 0;
    while (start < typed.size() && typed.at(start).unicode() <= 32)
        ++start;
    const QUrl url(typed.mid(start), QUrl::TolerantMode);
    const bool web = url.scheme() == u"http" || url.scheme() == u"https";
    if (!url.isValid() || !web || url.host().isEmpty())
        throw AppError(QStringLiteral("O endereço \"%1\" não é um endereço válido.").arg(typed));
    return url;
}

QByteArray IntegrationProbe::ping(const QString& address) const {
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(requestUrl(address));
    request.setRawHeader("Accept", "text/html, */*");
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(m_timeoutMs);
    // The screen waits for the answer: it repaints, but takes no clicks or keys.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!reply->isFinished()) {
        reply->abort();
        throw AppError(QStringLiteral("Sem resposta de %1 em %2 segundos")
                           .arg(request.url().toString(), QString::number(m_timeoutMs / 1000.0)));
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200)
        throw AppError(failureText(reply->error(), status, request.url()));
    return reply->readAll();
}

QString IntegrationProbe::failureText(QNetworkReply::NetworkError error, int httpStatus,
                                      const QUrl& url) {
    const QString address = url.toString();
    // A service that answers at all, with whatever status, is reachable: the status
    // says more than the error the network layer derives from it.
    if (httpStatus != 0 && httpStatus != 200)
        return QStringLiteral("O serviço em %1 respondeu com o código HTTP %2, e não 200 (OK).")
            .arg(address, QString::number(httpStatus));
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("A conexão com %1 foi recusada: nenhum serviço atende nesse "
                              "endereço e porta.")
            .arg(address);
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("O servidor \"%1\" não foi encontrado na rede (endereço %2).")
            .arg(url.host(), address);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("A conexão segura (HTTPS) com %1 falhou: o certificado do "
                              "servidor não é confiável ou a negociação não foi concluída.")
            .arg(address);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("O serviço em %1 encerrou a conexão sem responder.").arg(address);
    default:
        return QStringLiteral("Não foi possível consultar %1 (erro de rede %2).")
            .arg(address, QString::number(int(error)));
    }
}

void IntegrationProbe::check(const QString& address) const {
    if (Apara(address).isEmpty()) {
        dialogs().warningDialog(
            QStringLiteral("Atenção !!!\rÉ obrigatório informar o caminho da integração!!!"));
        return;
    }
    QByteArray body;
    try {
        body = ping(address);
    } catch (const AppError& error) {
        dialogs().errorBox(error.text());
        return;
    }
    dialogs().confirmationDialog(body == "Pong"
                                     ? QStringLiteral("CONEXÃO ESTABELECIDA COM SUCESSO.")
                                     : QStringLiteral("CONEXÃO NÃO ESTABELECIDA."));
}
