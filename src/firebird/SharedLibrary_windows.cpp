#include "firebird/SharedLibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <windows.h>

namespace {

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// Whether Windows finds `name` for a library of `folder`: beside it, or where the
// system looks for every program (its own folders, PATH).
bool found(const QString& folder, const QString& name) {
    if (QFileInfo::exists(folder + u'/' + name))
        return true;
    HMODULE probe = ::LoadLibraryExW(name.toStdWString().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (probe)
        ::FreeLibrary(probe);
    return probe != nullptr;
}

// The libraries named in the import table of `path` that Windows cannot find.
// The file is mapped without its own imports (nothing of it runs), so its
// table can be read at the addresses it names.
QStringList missingImports(const QString& path) {
    QStringList missing;
    HMODULE image = ::LoadLibraryExW(native(path).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image)
        return missing;
    const auto* base = reinterpret_cast<const BYTE*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const QString folder = QFileInfo(path).absolutePath();
    if (table.VirtualAddress != 0) {
        for (auto* entry =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table.VirtualAddress);
             entry->Name != 0; ++entry) {
            const QString name =
                QString::fromLatin1(reinterpret_cast<const char*>(base + entry->Name));
            // Names of Windows' API sets are resolved by the loader, not found as files.
            const bool apiSet = name.startsWith(QLatin1String("api-ms-"), Qt::CaseInsensitive) ||
                                name.startsWith(QLatin1String("ext-ms-"), Qt::CaseInsensitive);
            if (!apiSet && !found(folder, name))
                missing << QLatin1Char('"') + name + QLatin1Char('"');
        }
    }
    ::FreeLibrary(image);
    return missing;
}

QString systemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD size = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString result = QString::fromWCharArray(text, int(size)).trimmed();
    ::LocalFree(text);
    return result;
}

QString explain(const QString& path, DWORD code) {
    switch (code) {
    case ERROR_MOD_NOT_FOUND:
        if (const QStringList missing = missingImports(path); !missing.isEmpty())
            return QStringLiteral("falta%1 %2, de que ela precisa, na pasta dela e no sistema")
                .arg(missing.size() == 1 ? QStringLiteral(" a biblioteca")
                                         : QStringLiteral("m as bibliotecas"),
                     missing.join(QStringLiteral(", ")));
        return QStringLiteral("falta uma biblioteca de que ela precisa, na pasta dela e no "
                              "sistema (erro 126 do Windows)");
    case ERROR_PROC_NOT_FOUND:
        return QStringLiteral("falta uma função em uma biblioteca de que ela precisa: a pasta tem "
                              "bibliotecas de versões diferentes (erro 127 do Windows)");
    // The loader runs the library's start-up code inside a handler: a crash there
    // comes back as this code instead of ending the process.
    case ERROR_NOACCESS:
        return QStringLiteral(
            "ela falhou ao iniciar com um acesso inválido à memória (erro 998 do Windows)");
    case ERROR_DLL_INIT_FAILED:
        return QStringLiteral("ela falhou ao iniciar (erro 1114 do Windows)");
    case ERROR_SXS_CANT_GEN_ACTCTX:
        return QStringLiteral("o runtime do Visual C++ de que ela precisa não está instalado ou "
                              "está incompleto (erro 14001 do Windows)");
    default:
        return QStringLiteral("o Windows a recusou (erro %1: %2)").arg(code).arg(systemText(code));
    }
}

} // namespace

// The library's own folder comes first in the search for the libraries it needs
// (its C runtime, ICU, plugins), whatever the program's folder and the current
// folder: a client library is installed with them beside it.
bool SharedLibrary::load(const QString& path) {
    m_handle = ::LoadLibraryExW(native(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m_handle)
        m_error = explain(path, ::GetLastError());
    return m_handle != nullptr;
}

QString SharedLibrary::refusal(const QString& path, const QString& loaderReport) {
    return explain(path, loaderReport.toULong());
}

void* SharedLibrary::resolve(const char* name) const {
    return m_handle
               ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(m_handle), name))
               : nullptr;
}
