#pragma once

#include <QString>
#include <algorithm>

// True when nothing is left once leading and trailing characters of code 32 or
// below are removed: the test the address fields use before they probe anything.
inline bool isBlankAfterTrim(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 32; });
}
