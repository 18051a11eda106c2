#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Property check shared by the randomised test and the fuzz target: after one
// write into any text, the bytes differ from the old ones in one run that
// touches no other line and no byte-order mark, and a fresh read of the new
// bytes gives the written entry as written and every other entry as before.
// Returns an empty text when the properties hold, else what went wrong.
class IniDocumentCheck {
public:
    static QString afterWrite(const QByteArray& text, const QString& section, const QString& key,
                              const QString& value);

    // The names the check writes and probes: a few spellings of the same names
    // in other cases, so that case-insensitive matching is exercised.
    static const QStringList& names();
};
