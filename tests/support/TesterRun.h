#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QPlainTextEdit;
class TFConecta;

// One modal run of the connection tester as a save shows it, watched from
// outside: its result, the time from show to close, the log's lines and how the
// window kept painting meanwhile. The connection parameters are the caller's.
struct TesterRun {
    int result = 0;
    qint64 elapsedMs = 0;
    QStringList lines;
    // Captions of "Label1" as painted, each change once.
    QStringList captions;
    int labelPaints = 0;

    // `during` runs once, `afterMs` after the window shows, while the test works.
    static TesterRun of(QPlainTextEdit& log, bool attachments = false,
                        const std::function<void(TFConecta&)>& during = {}, int afterMs = 3000);
};
