#include "probes/PortHint.h"

#include <QEventLoop>
#include <QList>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

namespace {

// The ports the port field's notice names.
const QList<quint16> portasConhecidas = {3050, 3051, 3055};

enum class Resposta { Aceitou, Recusou, Outra };

// Tries every port at once and waits until each has answered or `deadline`.
// A socket's first answer is its answer: a peer that accepts and then closes
// also reports the close.
QList<Resposta> tenta(const QString& servidor, const QList<quint16>& portas,
                      const QDeadlineTimer& deadline) {
    QList<Resposta> respostas(portas.size(), Resposta::Outra);
    QList<bool> respondeu(portas.size(), false);
    if (deadline.hasExpired())
        return respostas;
    QEventLoop laco;
    QTimer prazo;
    prazo.setSingleShot(true);
    QObject::connect(&prazo, &QTimer::timeout, &laco, &QEventLoop::quit);
    qsizetype pendentes = portas.size();
    std::vector<std::unique_ptr<QTcpSocket>> conexoes;
    for (qsizetype i = 0; i < portas.size(); ++i) {
        auto& conexao = conexoes.emplace_back(std::make_unique<QTcpSocket>());
        const auto responde = [&, i](Resposta resposta) {
            if (std::exchange(respondeu[i], true))
                return;
            respostas[i] = resposta;
            if (--pendentes == 0)
                laco.quit();
        };
        QObject::connect(conexao.get(), &QTcpSocket::connected, &laco,
                         [responde] { responde(Resposta::Aceitou); });
        QObject::connect(conexao.get(), &QTcpSocket::errorOccurred, &laco,
                         [responde](QAbstractSocket::SocketError erro) {
                             responde(erro == QAbstractSocket::ConnectionRefusedError
                                          ? Resposta::Recusou
                                          : Resposta::Outra);
                         });
        conexao->connectToHost(servidor, portas[i]);
    }
    prazo.start(std::chrono::milliseconds(deadline.remainingTime()));
    if (pendentes > 0)
        laco.exec();
    for (auto& conexao : conexoes)
        conexao->disconnect();
    return respostas;
}

} // namespace

QString PortHint::para(const QString& servidor, const QString& porta,
                       const QDeadlineTimer& deadline, const ProvaFirebird& firebirdResponde) {
    bool numero = false;
    const quint16 configurada = porta.trimmed().toUShort(&numero);
    if (!numero || !recusa(servidor, configurada, deadline))
        return {};
    QList<quint16> outras = portasConhecidas;
    outras.removeAll(configurada);
    const int responde = primeiraQueResponde(servidor, outras, deadline, firebirdResponde);
    return responde ? QStringLiteral("um servidor Firebird responde na porta %1 deste servidor: "
                                     "confira se é o do RUV")
                          .arg(responde)
                    : QString();
}

bool PortHint::recusa(const QString& servidor, quint16 porta, const QDeadlineTimer& deadline) {
    return tenta(servidor, {porta}, deadline).constFirst() == Resposta::Recusou;
}

// The ports that accept are asked one by one, in the notice's order.
int PortHint::primeiraQueResponde(const QString& servidor, const QList<quint16>& portas,
                                  const QDeadlineTimer& deadline,
                                  const ProvaFirebird& firebirdResponde) {
    const QList<Resposta> respostas = tenta(servidor, portas, deadline);
    for (qsizetype i = 0; i < portas.size() && !deadline.hasExpired(); ++i) {
        if (respostas[i] == Resposta::Aceitou && firebirdResponde(portas[i], deadline))
            return portas[i];
    }
    return 0;
}
