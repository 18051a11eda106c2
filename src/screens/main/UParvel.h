#pragma once

#include "rules/SaveSettings.h"
#include "screens/main/SelectFolderDialog.h"

#include <QHash>
#include <QWidget>
#include <memory>

class QFocusEvent;
class QKeyEvent;
class QLineEdit;
class QRadioButton;

namespace Ui {
class TFParvel;
}

// The main screen: every setting of "ruv.ini" while it is being edited. The
// settings live in the fields only; the handlers read them from there.
class TFParvel : public QWidget {
    Q_OBJECT
public:
    explicit TFParvel(QWidget* parent = nullptr);
    ~TFParvel() override;

    // The screen's fields, by their names; the probe windows write the message log.
    std::unique_ptr<Ui::TFParvel> ui;

    // Base folders of the folder picker: the Computer folder and the Network folder.
    static constexpr DialogService::FolderRoot RS2 = DialogService::FolderRoot::Computer;
    static constexpr DialogService::FolderRoot RS3 = DialogService::FolderRoot::Network;
    SelectFolderDialog RzSelectFolderDialog1;

    // Shows the cities row exactly while the multi-company option is on.
    void MostraCidades();

    // Window
    void FormShow();
    void FormKeyPress(QChar& key);
    void BitSairClick();

    // Connection type and tabbed area
    void rLocalClick();
    void rTCPIPClick();
    void PGDChange();

    // Notices and operating-system guesses as the fields gain and lose focus
    void edDllConEnter();
    void edPastaLocalBDEnter();
    void edPastaLocalBDExit();
    void edPastaLocalTABDEFEnter();
    void edPastaLocalTABDEFExit();
    void edPastaRedeEnter();
    void edPastaCidadesEnter();
    void edtCaminhoANXExit();
    // Enter and Down move to the next field, Up to the previous one; true when the
    // key was one of them.
    bool edDllConKeyDown(int key);

    // Pickers, defaults and toggles
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitPadraoClick();
    void chRenomeClick();
    void chkIntegraClick();

    // Saves: nothing is written before the connection tester has opened every
    // database with the settings on the screen.
    void BitSalvarClick();
    void btnSalvarANXClick();
    void BitBtn4Click();
    // Checks before a save; true when the save may go on.
    bool VerPrioridade();
    bool VerPrioridadeANX();
    static QString IIF(bool condicao, const QString& seVerdadeiro, const QString& seFalso);

    // Server address checks
    void edIPBancoExit();
    void edIPTABDEFExit();
    void edIPNtierExit();
    void edIPNETExit();

    // Internal-control integration and the alternate screen
    void btnTestaIntegraClick();
    void btnNovoModeloClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FocusHandlers {
        void (TFParvel::*enter)() = nullptr;
        void (TFParvel::*exit)() = nullptr;
    };

    void connectHandlers();
    void bindFocus(QWidget* field, void (TFParvel::*enter)(), void (TFParvel::*exit)());
    bool keyPreview(QObject* watched, const QKeyEvent& key);
    void focusEvent(QWidget* widget, const QFocusEvent& focus);
    void moveFocusTo(QWidget* widget);
    void selectConnectionType();
    // True when a folder was picked (the field then holds it).
    bool pickFolderInto(QLineEdit* field, DialogService::FolderRoot base, const QString& selection);
    bool pickShareInto(QLineEdit* field);
    bool verificaPastas();
    bool verificaCidades(const QString& separador);
    bool verificaPorta();
    bool desligaMultiEmpresa();
    bool reiniciaServicoLocal();
    bool testaConexao(const SaveSettings& s, bool anexo);
    SaveSettings configuracao() const;

    QHash<QObject*, FocusHandlers> m_focusHandlers;
    QList<QObject*> m_keyNavigated;
    QWidget* m_focused = nullptr;
    bool m_shown = false;
};

// The program's main screen.
extern TFParvel* FParvel;
// False while the main screen fills itself from "ruv.ini", true from then on.
extern bool Carregado;
// While true, the saves leave the local Firebird service running around the port
// rewrite; set by the connection-library picker only.
extern bool MantemServico;
