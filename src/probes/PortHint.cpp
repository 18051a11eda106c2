#include "probes/PortHint.h"

#include <QEventLoop>
#include <QList>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <vector>

namespace {

// The ports the port field's notice names.
const QList<quint16> portasConhecidas = {3050, 3051, 3055};

enum class Resposta { Aceitou, Recusou, Outra };

// Tries every port at once and waits until each has answered or `deadline`.
QList<Resposta> tenta(const QString& servidor, const QList<quint16>& portas,
                      const QDeadlineTimer& deadline) {
    QList<Resposta> respostas(portas.size(), Resposta::Outra);
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
                       const QDeadlineTimer& deadline) {
    bool numero = false;
    const quint16 configurada = porta.trimmed().toUShort(&numero);
    if (!numero || !recusa(servidor, configurada, deadline))
        return {};
    QList<quint16> outras = portasConhecidas;
    outras.removeAll(configurada);
    const int responde = primeiraQueResponde(servidor, outras, deadline);
    return responde ? QStringLiteral("o servidor responde na porta %1").arg(responde) : QString();
}

bool PortHint::recusa(const QString& servidor, quint16 porta, const QDeadlineTimer& deadline) {
    return tenta(servidor, {porta}, deadline).constFirst() == Resposta::Recusou;
}

int PortHint::primeiraQueResponde(const QString& servidor, const QList<quint16>& portas,
                                  const QDeadlineTimer& deadline) {
    const QList<Resposta> respostas = tenta(servidor, portas, deadline);
    for (qsizetype i = 0; i < portas.size(); ++i) {
        if (respostas[i] == Resposta::Aceitou)
            return portas[i];
    }
    return 0;
}
