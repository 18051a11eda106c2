#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <memory>

class QPlainTextEdit;
class ConnectionProof;
namespace Ui {
class TFConecta;
}

// Connection parameters of the tester, filled by the saves after creating the
// window and before showing it. They keep their values between tests: a save
// that leaves one unset tests with the value of an earlier save. Taken as typed,
// untrimmed.
extern QString ConEnderecoBanco;  // database server address; blank = this machine
extern QString ConEnderecoTabdef; // TABDEF server address; blank = this machine
extern QString ConPastaBanco;     // folder holding "SGB_DADOS" (or the attachments database)
extern QString ConPastaTabdef;    // folder holding "TABDEF"
extern QString ConPastaRede;      // shared folder of the executables (not used by the tests)
extern QString ConSistemaBanco;   // "WINDOWS" or "LINUX": the database server's system
extern QString ConSistemaTabdef;  // "WINDOWS" or "LINUX": the TABDEF server's system
extern QString ConPastaDll;       // folder of the client library, with trailing separator
extern QString ConArquivoDll;     // file name of the client library
extern QString ConPorta;          // TCP port of the Firebird server

// Steps the "Conectando" caption; outlives the window.
extern int ConContadorLegenda;

// The connection tester: shown modally by a save, it makes sure the application
// user "TOMRUV" exists on the database server, opens each database of the test
// as that user, writes the outcome into the main screen's message log and closes
// itself with the result 1 (every connection worked) or 2.
class TFConecta : public QDialog {
    Q_OBJECT

public:
    explicit TFConecta(QPlainTextEdit& log, QWidget* parent = nullptr);
    ~TFConecta() override;

    // Chooses the attachments test; the attachments save sets it after creating
    // the window.
    bool FazAnexo = false;

    // Provisions the user, then opens the main and the TABDEF database.
    bool TestaConexao();
    // Clears the log, provisions the user, then opens the attachments database.
    bool TestaConexaoANX();

    // Neither Esc nor a close request ends the test: the window closes itself
    // when the test is done.
    void reject() override;

    QTimer Timer1; // starts the test a second after the window shows
    QTimer Timer2; // steps the caption while events are processed

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void Timer1Timer();
    void Timer2Timer();

private:
    void FormCreate();
    void FormShow();

    // The proof over the connection parameters, writing into the message log.
    ConnectionProof& comecaTeste();
    bool terminaTeste(bool conectou);

    std::unique_ptr<Ui::TFConecta> ui;
    QPlainTextEdit& Memo5;
    // The test running; kept until the next, as its calls may still be held.
    std::unique_ptr<ConnectionProof> m_prova;
};

extern TFConecta* FConecta;
