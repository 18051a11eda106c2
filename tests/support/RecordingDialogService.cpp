#include "RecordingDialogService.h"

#include <QApplication>
#include <QDialog>

void RecordingDialogService::informationBox(const QString& text) {
    record("information", QStringLiteral("Atenção"), text);
}

void RecordingDialogService::warningBox(const QString& text) {
    record("warning", QStringLiteral("Atenção"), text);
}

void RecordingDialogService::warningDialog(const QString& text) {
    record("warningDialog", QStringLiteral("Warning"), text);
}

void RecordingDialogService::confirmationDialog(const QString& text) {
    record("confirmation", QStringLiteral("Confirm"), text);
}

void RecordingDialogService::errorBox(const QString& text) {
    record("error", QStringLiteral("Parvel"), errorBoxText(text));
}

int RecordingDialogService::execModal(QDialog& window) {
    record("modal", window.windowTitle(), window.objectName());
    return onModal ? onModal(window) : window.exec();
}

std::optional<QString> RecordingDialogService::pickFolder(FolderRoot root,
                                                          const QString& initialSelection) {
    record("folderPicker", QString(), initialSelection).root = root;
    return nextAnswer();
}

std::optional<QString> RecordingDialogService::pickOpenFile(const QList<FileType>& types,
                                                            const QString& startFolder) {
    record("filePicker", QString(), startFolder).fileTypes = types;
    return nextAnswer();
}

void RecordingDialogService::terminate() {
    record("terminate", QString(), QString());
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        modal->reject();
}

QStringList RecordingDialogService::texts(const QString& kind) const {
    QStringList out;
    for (const Entry& e : entries)
        if (e.kind == kind)
            out.append(e.text);
    return out;
}

std::optional<QString> RecordingDialogService::nextAnswer() {
    if (pickerAnswers.isEmpty())
        return std::nullopt;
    return pickerAnswers.takeFirst();
}

RecordingDialogService::Entry&
RecordingDialogService::record(const QString& kind, const QString& title, const QString& text) {
    Entry e;
    e.kind = kind;
    e.title = title;
    e.text = text;
    entries.append(e);
    if (onRecord)
        onRecord(kind);
    return entries.last();
}
