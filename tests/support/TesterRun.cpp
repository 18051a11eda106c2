#include "TesterRun.h"

#include "probes/UConecta.h"
#include "ui/DialogService.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

class PaintWatch : public QObject {
public:
    explicit PaintWatch(QLabel& label, TesterRun& run) : m_label(label), m_run(run) {
        label.installEventFilter(this);
    }
    ~PaintWatch() override { m_label.removeEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_run.labelPaints;
            if (m_run.captions.isEmpty() || m_run.captions.last() != m_label.text())
                m_run.captions << m_label.text();
        }
        return false;
    }

private:
    QLabel& m_label;
    TesterRun& m_run;
};

} // namespace

TesterRun TesterRun::of(QPlainTextEdit& log, bool attachments,
                        const std::function<void(TFConecta&)>& during, int afterMs) {
    TesterRun run;
    TFConecta window(log);
    window.FazAnexo = attachments;
    PaintWatch watch(*window.findChild<QLabel*>("Label1"), run);
    if (during)
        QTimer::singleShot(afterMs, &window, [&] { during(window); });
    QElapsedTimer clock;
    clock.start();
    run.result = dialogs().execModal(window);
    run.elapsedMs = clock.elapsed();
    run.lines = log.toPlainText().split('\n');
    return run;
}
