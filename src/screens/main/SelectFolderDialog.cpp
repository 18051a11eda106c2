#include "screens/main/SelectFolderDialog.h"

#include "funcoes/Platform.h"

std::optional<QString> SelectFolderDialog::execute() {
    std::optional<QString> chosen = dialogs().pickFolder(baseFolder, selectedPathName);
    if (chosen)
        selectedPathName = *chosen;
    return chosen;
}

QString SelectFolderDialog::asFolderText(const QString& chosenPath) {
    if (chosenPath.endsWith(u'\\') || chosenPath.endsWith(u'/'))
        return chosenPath;
    return chosenPath + platform::pathSeparator();
}
