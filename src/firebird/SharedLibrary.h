#pragma once

#include <QString>

// A shared library loaded by its exact path, with what the system's loader said
// when it could not be loaded put in the operator's words. One implementation per
// platform (SharedLibrary_linux.cpp, SharedLibrary_windows.cpp): Windows looks for
// the libraries a library needs in its own folder only when asked to, which
// Qt's loader does not ask.
class SharedLibrary {
public:
    SharedLibrary() = default;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    // Never unloaded: a library may keep threads and handlers of its own.
    ~SharedLibrary() = default;

    // Loads `path` (absolute). On failure returns false and `error()` says why, as
    // the end of a sentence ("falta a biblioteca ...").
    bool load(const QString& path);
    // The entry point `name`, or null.
    void* resolve(const char* name) const;
    QString error() const { return m_error; }

    // Why the loader refused `path`, in the operator's words (the library it
    // needs that is missing, the function missing from one), from the loader's
    // own account: its text on Linux (dlerror), its error code in decimal on
    // Windows. A child that proves the library reports the same account.
    static QString refusal(const QString& path, const QString& loaderReport);

private:
    void* m_handle = nullptr;
    QString m_error;
};
