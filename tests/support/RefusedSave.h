#pragma once

#include "RecordingDialogService.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class TFParvel;

// A TCP/IP save of the main screen that the server refuses for a reason of its
// settings or its disk, made from a program folder of its own whose "ruv.ini"
// names another server. What such a save must leave: one "Motivo:" line, the
// client's own text first and the sentence of cause and remedy last, the
// failure's closing line, and no file written.
class RefusedSave {
public:
    // What the technician reads for the causes more than one test meets.
    static const QString noAuthenticationInCommon;
    static const QString encryptionRequired;

    // The program folder and a recorder for the boxes, in use until the object
    // goes.
    RefusedSave();
    ~RefusedSave();

    // "Concluir" clicked on the screen with a save to 127.0.0.1 on `port`, through
    // the client library in the folder `library`, both databases in `databases`
    // of a Linux server.
    void save(const QString& library, const QString& port, const QString& databases);
    // Fails the running test unless the save was refused with `sentence` after
    // the client's text that starts with `client`, and wrote nothing. The
    // "Motivo:" line goes to the test's output, for the record.
    void verify(const QString& client, const QString& sentence) const;

private:
    QString file(const char* name) const;

    QTemporaryDir m_exe;
    RecordingDialogService m_recorder;
    std::unique_ptr<TFParvel> m_screen;
};
