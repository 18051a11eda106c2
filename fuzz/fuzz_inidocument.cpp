#include "IniDocumentCheck.h"
#include "config/Windows1252.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The first four bytes choose the section, the key, the length of the value
// to write and the byte-order mark put before the text; the value is taken
// from the end of the input and the rest is the text, so a value may contain
// anything the text does.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    static const QByteArray marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE"};
    const QStringList& names = IniDocumentCheck::names();
    const QString section = names[data[0] % names.size()];
    const QString key = names[data[1] % names.size()];
    const QByteArray body(reinterpret_cast<const char*>(data) + 4, qsizetype(size - 4));
    const QString value = Windows1252::decode(body.right(data[2]));
    const QByteArray text = marks[data[3] % 3] + body;

    const QString failure = IniDocumentCheck::afterWrite(text, section, key, value);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
