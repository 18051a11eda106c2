#pragma once

#include "ui/DialogService.h"

#include <QString>
#include <optional>

// The screen's folder picker. Like the picker component it stands for, it keeps
// its base folder and its selection from one use to the next: a handler that sets
// neither gets the previous ones.
struct SelectFolderDialog {
    DialogService::FolderRoot baseFolder = DialogService::FolderRoot::Computer;
    QString selectedPathName;

    // Shows the picker; a confirmed choice becomes the next initial selection.
    std::optional<QString> execute();

    // The chosen folder as a folder text: with one trailing separator, the
    // platform's own, so that the saves' folder checks accept it. A folder that
    // already ends in one (a drive root) is taken as it is.
    static QString asFolderText(const QString& chosenPath);
};
