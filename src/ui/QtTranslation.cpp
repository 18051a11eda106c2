#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QTranslator>

bool installQtTranslation(const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_pt_BR"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
