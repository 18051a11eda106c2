#include "RefusedSave.h"

#include "FileBytes.h"
#include "config/ExecutableFolder.h"
#include "config/Windows1252.h"
#include "screens/main/UParvel.h"
#include "ui_UParvel.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

namespace {

const QByteArray stored = Windows1252::encode(QStringLiteral("[RUV]\r\nServidor=10.0.0.9\r\n"));

} // namespace

const QString RefusedSave::noAuthenticationInCommon = QStringLiteral(
    "O servidor não aceita nenhuma forma de autenticação deste cliente, em geral por aceitar "
    "só Srp (Firebird 3 ou mais novo) e o cliente usar Legacy_Auth: no firebird.conf do "
    "servidor ponha AuthServer = Srp, Legacy_Auth e UserManager = Srp, Legacy_UserManager, "
    "reinicie o serviço e crie o usuário com CREATE USER ... USING PLUGIN Legacy_UserManager "
    "(o firebird.log do servidor diz a causa exata).");

const QString RefusedSave::encryptionRequired = QStringLiteral(
    "O servidor exige criptografia na conexão (WireCrypt = Required) e este cliente não "
    "oferece uma que ele aceite: no firebird.conf do servidor ponha WireCrypt = Enabled e "
    "reinicie o serviço.");

RefusedSave::RefusedSave() {
    ExecutableFolder::setForTesting(m_exe.path() + '/');
    setDialogs(&m_recorder);
}

RefusedSave::~RefusedSave() {
    m_screen.reset();
    setDialogs(nullptr);
    ExecutableFolder::clearForTesting();
}

QString RefusedSave::file(const char* name) const {
    return m_exe.filePath(name);
}

void RefusedSave::save(const QString& library, const QString& port, const QString& databases) {
    QVERIFY(m_exe.isValid());
    FileBytes::write(file("ruv.ini"), stored);
    m_screen = std::make_unique<TFParvel>();
    m_screen->show();
    QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    Ui::TFParvel& ui = *m_screen->ui;
    ui.rTCPIP->setChecked(true);
    ui.rbLinuxBD->setChecked(true);
    ui.rbLinuxTABDEF->setChecked(true);
    ui.edIPBanco->setText("127.0.0.1");
    ui.edIPTABDEF->setText("127.0.0.1");
    ui.edDllCon->setText(QDir::toNativeSeparators(library));
    ui.edPorta->setText(port);
    ui.edPastaLocalBD->setText(databases);
    ui.edPastaLocalTABDEF->setText(databases);
    ui.edPastaRede->setText(QDir::toNativeSeparators(m_exe.path() + '/'));

    QTest::mouseClick(ui.BitSalvar, Qt::LeftButton);
}

void RefusedSave::verify(const QString& client, const QString& sentence) const {
    QVERIFY(m_screen);
    const QStringList lines = m_screen->ui->Memo5->toPlainText().split(u'\n');
    const QStringList reasons = lines.filter(QRegularExpression("^Motivo: "));
    QCOMPARE(reasons.size(), 1);
    qInfo("%s", qPrintable(reasons.first()));
    QVERIFY2(reasons.first().startsWith("Motivo: " + client), qPrintable(reasons.first()));
    QVERIFY2(reasons.first().endsWith(" - " + sentence), qPrintable(reasons.first()));
    QCOMPARE(lines.last(), QStringLiteral("CONEXÃO FALHOU."));
    QCOMPARE(FileBytes::read(file("ruv.ini")), stored);
    QVERIFY(!QFile::exists(file("ruv.dat")));
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
}
