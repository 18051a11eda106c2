#include "IniDocumentCheck.h"
#include "config/Windows1252.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The first three bytes choose the section, the key and the length of the
// value to write; the value is taken from the end of the input and the whole
// input is the text, so a value may contain anything the text does.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const QStringList& names = IniDocumentCheck::names();
    const QString section = names[data[0] % names.size()];
    const QString key = names[data[1] % names.size()];
    const QByteArray text(reinterpret_cast<const char*>(data) + 3, qsizetype(size - 3));
    const QString value = Windows1252::decode(text.right(data[2]));

    const QString failure = IniDocumentCheck::afterWrite(text, section, key, value);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
