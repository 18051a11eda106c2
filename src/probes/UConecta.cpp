#include "probes/UConecta.h"

#include "probes/ConnectionProof.h"
#include "ui_UConecta.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScreen>

QString ConEnderecoBanco;
QString ConEnderecoTabdef;
QString ConPastaBanco;
QString ConPastaTabdef;
QString ConPastaRede;
QString ConSistemaBanco;
QString ConSistemaTabdef;
QString ConPastaDll;
QString ConArquivoDll;
QString ConPorta;
int ConContadorLegenda = 0;

TFConecta* FConecta = nullptr;

TFConecta::TFConecta(QPlainTextEdit& log, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TFConecta>()), Memo5(log) {
    ui->setupUi(this);
    setFixedSize(size());
    Timer1.setObjectName("Timer1");
    Timer2.setObjectName("Timer2");
    for (QTimer* timer : {&Timer1, &Timer2}) {
        timer->setParent(this);
        timer->setInterval(1000);
    }
    connect(&Timer1, &QTimer::timeout, this, &TFConecta::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &TFConecta::Timer2Timer);
    FormCreate();
}

TFConecta::~TFConecta() = default;

void TFConecta::reject() {}

void TFConecta::FormCreate() {
    FazAnexo = false;
}

void TFConecta::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* tela = screen())
        move(tela->availableGeometry().center() - rect().center());
    FormShow();
}

void TFConecta::FormShow() {
    ui->Label1->setText("Conectando");
    QApplication::processEvents();
    Timer2.start();
    ConContadorLegenda = 0;
    Timer1.start();
}

void TFConecta::Timer1Timer() {
    Timer1.stop();
    const bool conectou = FazAnexo ? TestaConexaoANX() : TestaConexao();
    done(conectou ? 1 : 2);
    Timer2.stop();
}

void TFConecta::Timer2Timer() {
    ConContadorLegenda += 1;
    ui->Label1->setText("Conectando" + QString(ConContadorLegenda, QLatin1Char('.')));
    if (ConContadorLegenda == 5)
        ConContadorLegenda = 0;
    ui->Label1->repaint();
}

bool TFConecta::TestaConexao() {
    return terminaTeste(comecaTeste().principal());
}

bool TFConecta::TestaConexaoANX() {
    Memo5.clear();
    return terminaTeste(comecaTeste().anexos());
}

// The window provisions a missing "TOMRUV"; the lines show as they come.
ConnectionProof& TFConecta::comecaTeste() {
    const ConnectionParameters parametros{ConEnderecoBanco, ConEnderecoTabdef, ConPastaBanco,
                                          ConPastaTabdef,   ConSistemaBanco,   ConSistemaTabdef,
                                          ConPastaDll,      ConArquivoDll,     ConPorta};
    m_prova = std::make_unique<ConnectionProof>(parametros, ConnectionProof::UsuarioAusente::Cria,
                                                [this](const QString& linha) {
                                                    Memo5.appendPlainText(linha);
                                                    Memo5.repaint();
                                                });
    return *m_prova;
}

// A passed test shows the log from its start.
bool TFConecta::terminaTeste(bool conectou) {
    if (conectou) {
        Memo5.moveCursor(QTextCursor::Start);
        Memo5.ensureCursorVisible();
    }
    return conectou;
}
