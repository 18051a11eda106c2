#pragma once

#include "config/WriteError.h"

#include <QByteArray>
#include <QString>

// The port setting of the local server's "firebird.conf" (found from the
// connection-library folder), worked out in full before anything is written:
// the file is read, its new contents made and the write's refusal, if any, known
// while the server still runs. Both contents are kept, so the file can be put
// back byte for byte.
//
// Which lines carry the port: every line holding "RemoteServicePort =" with that
// spacing, active or not, is replaced as a whole by "RemoteServicePort = N", as
// the old rewrite did; so is an active line of the setting written with other
// spacing around "=" (or in another letter case), which the server reads as
// well. When no line sets or quotes the port, "RemoteServicePort = N" is added
// at the end. Every line is written with CR LF, in the ANSI code page.
class PortRewrite {
public:
    // How the new port reached the file.
    enum class Setting {
        Replaced, // lines "RemoteServicePort =" replaced
        Respaced, // an active line of other spacing replaced as well
        Added,    // no line set or quoted the port: one added at the end
    };

    // The port the server listens on when "firebird.conf" sets none.
    static constexpr quint16 defaultPort = 3050;

    // Reads the file; `refusal()` is empty when it can be rewritten.
    PortRewrite(const QString& pastaDllCon, quint16 port);

    // Why the file cannot be rewritten, in Portuguese (missing, unreadable,
    // refusing writes); empty when it can.
    const QString& refusal() const { return m_refusal; }
    bool missing() const { return m_missing; }

    const QString& file() const { return m_file; }
    // The port the server reads from the file as it is now: its last active
    // setting, or the default.
    quint16 oldPort() const { return m_oldPort; }
    quint16 newPort() const { return m_newPort; }
    Setting setting() const { return m_setting; }
    // What the rewrite does to the file, one sentence for the message log.
    QString description() const;

    // The new contents, then the old ones: false when the system refuses the
    // write, `why` telling the reason; the file is then as it was.
    bool write(WriteError* why) const;
    bool restore(WriteError* why) const;

private:
    QString m_file;
    QString m_refusal;
    bool m_missing = false;
    QByteArray m_before;
    QByteArray m_after;
    quint16 m_oldPort = defaultPort;
    quint16 m_newPort = 0;
    Setting m_setting = Setting::Replaced;
    QString m_respacedLine;
};
