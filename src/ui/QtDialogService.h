#pragma once

#include "ui/DialogService.h"

// The dialog service of the program: real modal Qt boxes, dialogs and pickers.
class QtDialogService : public DialogService {
public:
    void informationBox(const QString& text) override;
    void warningBox(const QString& text) override;
    void warningDialog(const QString& text) override;
    void confirmationDialog(const QString& text) override;
    void errorBox(const QString& text) override;
    int execModal(QDialog& window) override;
    std::optional<QString> pickFolder(FolderRoot root, const QString& initialSelection) override;
    std::optional<QString> pickOpenFile(const QList<FileType>& types,
                                        const QString& startFolder) override;
    void terminate() override;
};
