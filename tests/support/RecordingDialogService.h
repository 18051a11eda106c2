#pragma once

#include "ui/DialogService.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// Test double for DialogService: notes every box and picker, answers pickers
// from a script, never shows anything modal except windows handed to execModal
// (the probe windows close themselves; tests may replace that with onModal).
class RecordingDialogService : public DialogService {
public:
    struct Entry {
        QString kind;  // "information", "warning", "warningDialog", "confirmation",
                       // "error", "folderPicker", "filePicker", "modal",
                       // "terminate"
        QString title; // the title the real dialog would carry
        QString text;  // box text; for pickers, the initial selection / start folder
        FolderRoot root = FolderRoot::Computer;
        QList<FileType> fileTypes;
    };

    QList<Entry> entries;
    QList<std::optional<QString>> pickerAnswers; // consumed front first; empty → cancel
    std::function<int(QDialog&)> onModal;        // default: really exec the window
    // Called as each entry is recorded, with its kind: what the world looked like
    // when the box showed.
    std::function<void(const QString&)> onRecord;

    void informationBox(const QString& text) override;
    void warningBox(const QString& text) override;
    void warningDialog(const QString& text) override;
    void confirmationDialog(const QString& text) override;
    void errorBox(const QString& text) override;
    int execModal(QDialog& window) override;
    std::optional<QString> pickFolder(FolderRoot root, const QString& initialSelection) override;
    std::optional<QString> pickOpenFile(const QList<FileType>& types,
                                        const QString& startFolder) override;
    // Recorded as "terminate"; also rejects the innermost modal window, so a test
    // that drives a modal screen is not left waiting.
    void terminate() override;

    // Entries of one kind, in order; texts only.
    QStringList texts(const QString& kind) const;
    void clear() { entries.clear(); }

private:
    std::optional<QString> nextAnswer();
    Entry& record(const QString& kind, const QString& title, const QString& text);
};
