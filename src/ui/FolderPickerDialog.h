#pragma once

#include "ui/DialogService.h"

#include <QDialog>
#include <QPersistentModelIndex>

class QFileSystemModel;
class QPushButton;
class QTreeView;

// A folder tree rooted at the Computer folder (every drive) or at the Network
// folder, with OK and Cancel. OK is offered only while a folder is selected.
class FolderPickerDialog : public QDialog {
    Q_OBJECT
public:
    explicit FolderPickerDialog(DialogService::FolderRoot root, QWidget* parent = nullptr);

    // Selects a folder and keeps it in view while the tree fills in around it; a
    // folder that does not exist selects nothing.
    void select(const QString& folder);
    // The selected folder in the platform's notation, without trailing separator
    // except at a drive or file-system root; empty when nothing is selected (the
    // row the view merely makes current is not).
    QString chosenFolder() const;

private:
    void reveal();

    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QPushButton* m_ok;
    // The selection still to be scrolled into view once its folder is loaded.
    QPersistentModelIndex m_revealing;
};
