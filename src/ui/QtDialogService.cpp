#include "ui/QtDialogService.h"

#include "ui/FolderPickerDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>

namespace {

const QString attention = QStringLiteral("Atenção");

// The messages break their lines with a carriage return, as the RUV programs'
// boxes do; a Qt label breaks only on a line feed.
QString withLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

void showBox(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* owner) {
    QMessageBox box(icon, title, withLineBreaks(text), QMessageBox::Ok, owner);
    box.exec();
}

// The standard message dialogs stand in the middle of the screen, whatever window
// is active.
void showCentredBox(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, withLineBreaks(text), QMessageBox::Ok);
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        box.move(screen->availableGeometry().center() - box.rect().center());
    box.exec();
}

QString fileDialogFilter(const QList<DialogService::FileType>& types) {
    QStringList filters;
    for (const DialogService::FileType& type : types)
        filters.append(QStringLiteral("%1 (%2)").arg(type.description, type.mask));
    return filters.join(QStringLiteral(";;"));
}

} // namespace

void QtDialogService::informationBox(const QString& text) {
    showBox(QMessageBox::Information, attention, text, QApplication::activeWindow());
}

void QtDialogService::warningBox(const QString& text) {
    showBox(QMessageBox::Warning, attention, text, nullptr);
}

void QtDialogService::warningDialog(const QString& text) {
    showCentredBox(QMessageBox::Warning, QStringLiteral("Warning"), text);
}

void QtDialogService::confirmationDialog(const QString& text) {
    showCentredBox(QMessageBox::Question, QStringLiteral("Confirm"), text);
}

void QtDialogService::errorBox(const QString& text) {
    showBox(QMessageBox::Critical, QStringLiteral("Parvel"), errorBoxText(text),
            QApplication::activeWindow());
}

int QtDialogService::execModal(QDialog& window) {
    // A window closed by its system menu or Esc counts as cancelled.
    const int result = window.exec();
    return result == QDialog::Rejected ? 2 : result;
}

std::optional<QString> QtDialogService::pickFolder(FolderRoot root,
                                                   const QString& initialSelection) {
    FolderPickerDialog picker(root, QApplication::activeWindow());
    picker.select(initialSelection);
    const QString folder = picker.exec() == QDialog::Accepted ? picker.chosenFolder() : QString();
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

std::optional<QString> QtDialogService::pickOpenFile(const QList<FileType>& types,
                                                     const QString& startFolder) {
    const QString file = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                      startFolder, fileDialogFilter(types));
    if (file.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(file);
}

void QtDialogService::terminate() {
    // Leaves every running loop, modal ones included, so the program ends at once.
    QCoreApplication::exit(0);
}
