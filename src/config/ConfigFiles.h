#pragma once

#include <QString>

// Full paths of the files that live beside the executable.
class ConfigFiles {
public:
    // The configuration file the RUV programs read.
    static QString ruvIni();
    // The multi-company copy; its existence is the multi-company switch.
    static QString ruvDat();
    // Marker files: their existence shows the alternate-screen button.
    static QString suporteMarker();
    static QString marlivioMarker();
};
