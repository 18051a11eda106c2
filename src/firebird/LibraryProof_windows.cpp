#include "firebird/LibraryProof.h"

// Not proved in a child on Windows yet: Windows has no fork, so the child has to
// be a program of its own (this program started again with the file to prove)
// under a job object that ends it past the bound. Until then the loader's own
// checks of the image and the format checks of LibraryFile are all there is.
QString LibraryProof::proveInChild(const QString&, const QByteArrayList&) {
    return QString();
}
