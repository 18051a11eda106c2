#pragma once

#include <QString>

// A save the server refused for a reason of its settings or its disk, as the
// message log shows it: one "Motivo:" line, the client's own text first and the
// sentence of cause and remedy last, and the failure's closing line.
class RefusedSave {
public:
    // What the technician reads for the causes more than one test meets.
    static const QString noAuthenticationInCommon;
    static const QString encryptionRequired;

    // Fails the running test when `log` is not such a save's. The "Motivo:" line
    // goes to the test's output, for the record.
    static void verifyLog(const QString& log, const QString& client, const QString& sentence);
};
