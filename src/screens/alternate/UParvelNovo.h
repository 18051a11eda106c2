#pragma once

#include <QDialog>
#include <QIcon>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace Ui {
class TFParvelNovo;
}

// The reorganised configuration window, still in development: it loads
// "ruv.ini", tests server addresses and checks the PUX installation, but it
// never writes a file. Its exit button ends the whole program.
class TFParvelNovo : public QDialog {
    Q_OBJECT

public:
    explicit TFParvelNovo(QWidget* parent = nullptr);
    ~TFParvelNovo() override;

    void LeConfiguracao(const QString& modo);
    void MostraCidades();
    void TestaIP(const QString& endereco, QLabel* status);

    // Reserved for the save that is not built yet.
    void VerPrioridade() {}
    void VerPrioridadeANX() {}

    template <typename T> static T IIF(bool pCond, T pTrue, T pFalse) {
        return pCond ? pTrue : pFalse;
    }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    bool FormKeyPress(int key);
    bool caminhoDllFIREKeyDown(QWidget* sender, int key);
    void PGDChanging(int, bool&) {}

    void btnConfigRUVClick();
    void btnConfigTabDefClick();
    void btnConfigAnexosClick();
    void btnAplicacaoClick();
    void btnFirebirdClick();
    void abrePagina(QWidget* pagina, QPushButton* botao);

    void comboConexaoRUVClick();
    void comboConexaoDEFClick();
    void comboConexaoANXClick();
    void comboConexaoAPLClick();
    void aplicaTipoConexao(QComboBox* combo,
                           std::initializer_list<std::pair<QLineEdit*, QToolButton*>> enderecos);

    void caminhoServidorRUVEnter();
    void caminhoServidorDEFEnter();
    void caminhoExecutaveisDEFEnter();
    void caminhoCidadesRUVEnter();
    void caminhoDllFIREEnter();

    void caminhoServidorRUVExit();
    void caminhoServidorDEFExit();
    void caminhoServidorANXExit();
    static void adivinhaSistema(const QLineEdit* caminho, QComboBox* sistema);

    void btnTestaIpRUVClick();
    void btnTestaIpDEFClick();
    void btnTestaIpANXClick();
    void btnTestaIPValidoAPLClick();
    void btnTestaIPServidorAPLClick();

    void checkHabCadastrixClick();
    void checkMultiEmpresaClick();
    void BitBtn4Click();
    void BitSairClick();

    void BitSalvarClick() {}
    void BitPadraoClick() {}
    void btnSalvarANXClick() {}
    void btnPesqServRUVClick() {}
    void btnPesqCidRUVClick() {}
    void btnPesqDEFClick() {}
    void BitBtn3Click() {}
    void BitBtn2Click() {}

    void ligaEventos();
    void ligaFiltros();

    std::unique_ptr<Ui::TFParvelNovo> ui;
    QIcon marcaAtual;
    QIcon marcaOutra;
};

extern TFParvelNovo* FParvelNovo;
