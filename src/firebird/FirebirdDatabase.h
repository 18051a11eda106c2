#pragma once

#include "firebird/FirebirdLogin.h"

#include <QString>
#include <ibase.h>

class FirebirdLibrary;

// One attachment to a database, detached at the latest when destroyed.
class FirebirdDatabase {
public:
    // Attaches with SQL dialect 3 and the connection character set WIN1252.
    // Throws FirebirdError with the client's text.
    FirebirdDatabase(const FirebirdLibrary& library, const QString& connectionString,
                     const FirebirdLogin& login);
    ~FirebirdDatabase();
    FirebirdDatabase(const FirebirdDatabase&) = delete;
    FirebirdDatabase& operator=(const FirebirdDatabase&) = delete;

    // Throws FirebirdError when the server refuses the detach.
    void close();

private:
    const FirebirdLibrary& m_library;
    isc_db_handle m_handle = 0;
};
