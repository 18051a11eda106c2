#pragma once

#include <QString>
#include <QStringList>

// The command line of the check: "--check [--ini ARQUIVO] [--json]", or "--help".
struct CheckOptions {
    QString ini;       // empty: the "ruv.ini" beside the program
    bool json = false; // one JSON object instead of lines
    bool help = false;
    QString erro; // set when the command line is not one of the above

    // `arguments` without the program's own name.
    static CheckOptions parse(const QStringList& arguments);
    // The options, as "--help" lists them.
    static QString texto();
};
