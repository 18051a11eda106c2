#include "probes/UPing.h"

#include "probes/IcmpReplyLine.h"
#include "ui_UPing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QShowEvent>

QString AlvoPing;
TFPing* FPing = nullptr;

namespace {

constexpr int kRequests = 5;
// How long a window that explains why it could not ping stays open to be read.
constexpr int kLeituraMs = 8000;
const QString kLegenda = QStringLiteral("Verificando Conexão .... conectando");

int ContadorLegenda = 0;

} // namespace

TFPing::TFPing(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TFPing>()), NossoICMP(IcmpClient::create()) {
    ui->setupUi(this);
    QPalette palette = ui->mmResultado->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
    ui->mmResultado->setPalette(palette);

    // The start delay is part of what the operator waits for: keep it to the millisecond.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(2000);
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer2.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TFPing::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &TFPing::Timer2Timer);
    FPing = this;
}

TFPing::~TFPing() {
    if (FPing == this)
        FPing = nullptr;
}

void TFPing::reject() {}

void TFPing::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFPing::FormShow() {
    ui->Label2->setText(kLegenda);
    // Events already waiting (the caller's own repaints among them) are handled
    // before the timers start. The window is neither on screen nor modal yet at
    // this point: clicks and keys wait, so none reaches the window underneath.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Timer2.start();
    ContadorLegenda = 0;
    Timer1.start();
}

void TFPing::Timer1Timer() {
    // Events are processed during the check; stopping first keeps it from running twice.
    Timer1.stop();
    m_explicou = false;
    const int result = Ping() ? 1 : 2;
    if (m_explicou)
        QTimer::singleShot(kLeituraMs, Qt::PreciseTimer, this, [this, result] { done(result); });
    else
        done(result);
}

void TFPing::Timer2Timer() {
    ContadorLegenda = ContadorLegenda % 3 + 1;
    ui->Label2->setText(kLegenda + QString(ContadorLegenda, u'.'));
    // Repaint rather than process events: a check started from inside this tick
    // would keep the caption from ever moving again.
    ui->Label2->repaint();
}

bool TFPing::Ping() {
    ui->mmResultado->clear();
    try {
        NossoICMP->setHost(AlvoPing);
        IcmpReport last;
        for (int i = 0; i < kRequests; ++i) {
            last = NossoICMP->ping();
            NossoICMPReply(*NossoICMP, last);
            QCoreApplication::processEvents();
        }
        return last.bytes > 0;
    } catch (const IcmpNotPermitted& semPermissao) {
        // Not a network fault: the operator must learn why, and who can fix it.
        ui->mmResultado->appendPlainText(QString::fromStdString(semPermissao.what()));
        m_explicou = true;
        return false;
    } catch (const std::exception&) {
        // An unknown host or a socket failure: no answer, whatever was written stays.
        return false;
    }
}

void TFPing::NossoICMPReply(IcmpClient&, const IcmpReport& report) {
    ui->mmResultado->appendPlainText(icmpReplyLine(report));
}
