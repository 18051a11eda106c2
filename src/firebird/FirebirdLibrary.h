#pragma once

#include "firebird/SharedLibrary.h"

#include <QString>
#include <ibase.h>

// The Firebird client library, loaded at run time from the file the settings
// name, so the program starts and reports cleanly without one. Only the entry
// points the program calls are resolved; <ibase.h> gives their types.
class FirebirdLibrary {
public:
    // Throws FirebirdError, naming the file, when it is not a complete library for
    // this platform, fails its proof in a child process (problem()), cannot be
    // loaded or lacks an entry point (named too).
    explicit FirebirdLibrary(const QString& file);

    // Empty when `file` may be loaded: a complete library for this platform
    // whose load, proved in a child process, gives every entry point the program
    // uses. Otherwise why not, as the end of a sentence for the operator.
    static QString problem(const QString& file);

    // Throws FirebirdError with the client's text when `status` holds an error.
    void check(const ISC_STATUS* status) const;
    // All messages of a status vector, one per line.
    QString interpret(const ISC_STATUS* status) const;

    decltype(&isc_attach_database) attachDatabase = nullptr;
    decltype(&isc_detach_database) detachDatabase = nullptr;
    decltype(&isc_service_attach) serviceAttach = nullptr;
    decltype(&isc_service_detach) serviceDetach = nullptr;
    decltype(&isc_service_start) serviceStart = nullptr;
    decltype(&isc_service_query) serviceQuery = nullptr;

private:
    template <typename F> void resolve(F& entry, const char* name);

    QString m_file;
    SharedLibrary m_library;
    // Clients before Firebird 2.0 have only the older call, without the buffer's
    // size; one of the two is set.
    decltype(&fb_interpret) m_interpret = nullptr;
    using InterpreteOld = ISC_LONG(ISC_EXPORT*)(ISC_SCHAR*, ISC_STATUS**);
    InterpreteOld m_interpreteOld = nullptr;
};
