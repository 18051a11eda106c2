#pragma once

#include "probes/IcmpClient.h"

#include <QDialog>
#include <QTimer>
#include <memory>

namespace Ui {
class TFPing;
}

// The host the next ping window checks: set by the caller before showing it, used
// as given, kept until the next caller sets it.
extern QString AlvoPing;

// Small modal window that pings AlvoPing five times and closes itself with result
// 1 when the server answered, 2 when it did not. The check starts two seconds after
// the window shows, so that it is painted first.
class TFPing : public QDialog {
    Q_OBJECT

public:
    explicit TFPing(QWidget* parent = nullptr);
    ~TFPing() override;

    // True when the fifth (last) echo request was answered.
    bool Ping();
    void NossoICMPReply(IcmpClient& sender, const IcmpReport& report);

    // The window has no way to be dismissed: it closes itself when the check ends.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Timer1Timer();
    void Timer2Timer();

    std::unique_ptr<Ui::TFPing> ui;
    std::unique_ptr<IcmpClient> NossoICMP;
    QTimer Timer1;
    QTimer Timer2;
    bool m_explicou = false; // the check ended with an explanation in the result box
};

// The ping window being shown, null when there is none.
extern TFPing* FPing;
