#pragma once

#include <QList>
#include <QString>
#include <optional>

class QDialog;
class QWidget;

// Every box, dialog and picker the screens show goes through this interface, so
// the program uses real modal dialogs and tests use a recorder. Only QtCore types
// appear here: the core library may report through it without linking Widgets.
class DialogService {
public:
    enum class FolderRoot { Computer, Network };

    struct FileType {
        QString description;
        QString mask; // e.g. "*.fdb"
    };

    virtual ~DialogService() = default;

    // Title "Atenção", information icon, OK, over the active window.
    virtual void informationBox(const QString& text) = 0;
    // Title "Atenção", warning icon, OK, owned by the application.
    virtual void warningBox(const QString& text) = 0;
    // Standard message dialog of kind warning: title "Warning", OK, centred.
    virtual void warningDialog(const QString& text) = 0;
    // Standard message dialog of kind confirmation: title "Confirm", OK, centred.
    virtual void confirmationDialog(const QString& text) = 0;
    // The box for an error no handler caught: title "Parvel", error icon, OK.
    // The text is shown as errorBoxText() makes it.
    virtual void errorBox(const QString& text) = 0;

    // Shows a window modally and returns its result: 1 success/OK, 2 failure/cancel.
    virtual int execModal(QDialog& window) = 0;

    // Folder tree rooted at `root` with `initialSelection` selected. The chosen path
    // has no trailing separator except at a drive (or file-system) root.
    virtual std::optional<QString> pickFolder(FolderRoot root,
                                              const QString& initialSelection) = 0;
    // Open-file dialog; the chosen file's full name.
    virtual std::optional<QString> pickOpenFile(const QList<FileType>& types,
                                                const QString& startFolder) = 0;

    // Ends the event loop (nested modal runs included): the program exits without
    // saving. Tests record it instead of quitting.
    virtual void terminate() = 0;

    // The text the error box shows: "." appended when the last character's code is
    // above that of ".".
    static QString errorBoxText(const QString& text);
};

// The service the screens use. The program installs the Qt one at start; tests
// install a recorder.
DialogService& dialogs();
void setDialogs(DialogService* service);
