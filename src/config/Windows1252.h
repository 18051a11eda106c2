#pragma once

#include <QByteArray>
#include <QString>

// The code page the RUV programs read "ruv.ini" in. Decoding is exact and
// total: the five bytes the code page leaves undefined map to the control
// characters of the same number, so every byte sequence survives a round
// trip. Characters the code page cannot hold are written as '?'.
class Windows1252 {
public:
    static QString decode(QByteArrayView bytes);
    static QByteArray encode(QStringView text);
};
