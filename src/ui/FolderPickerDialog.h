#pragma once

#include "ui/DialogService.h"

#include <QDialog>

class QFileSystemModel;
class QTreeView;

// A folder tree rooted at the Computer folder (every drive) or at the Network
// folder, with OK and Cancel.
class FolderPickerDialog : public QDialog {
    Q_OBJECT
public:
    explicit FolderPickerDialog(DialogService::FolderRoot root, QWidget* parent = nullptr);

    // Selects and reveals a folder; a folder that does not exist selects nothing.
    void select(const QString& folder);
    // The selected folder in the platform's notation, without trailing separator
    // except at a drive or file-system root; empty when nothing is selected.
    QString chosenFolder() const;

private:
    QFileSystemModel* m_model;
    QTreeView* m_tree;
};
