// The connection settings window and the delivery log window, reached from the main window's
// menu: defaults, saving without the password, the connection test through a real proxy off the
// window's thread, and the log shown and copied.
#include "engine/transmit/Registro_Comunicacao.h"
#include "gui/app/frmConexao.h"
#include "gui/app/frmPrincipal.h"
#include "gui/app/frmRegistro.h"
#include "gui/intake/Conexao_Usuario.h"
#include "tests/common/Janela_Modal.h"
#include "tests/common/Ouvinte_Mudo.h"
#include "tests/transmit/Proxies_Locais.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

namespace {
// Fills the window for a test through a proxy to `destino`.
void Preencher(frmConexao &w, uint16_t destino, int tipo, uint16_t proxy, const QString &usuario, const QString &senha)
{
    w.txtServidor->setText("127.0.0.1");
    w.spnPorta->setValue(destino);
    w.cmbProxy->setCurrentIndex(tipo);
    w.txtProxyServidor->setText("127.0.0.1");
    w.spnProxyPorta->setValue(proxy);
    w.txtUsuario->setText(usuario);
    w.txtSenha->setText(senha);
}
} // namespace

class TstConexao : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        Gravar_Conexao_Do_Usuario(Ajustes_Conexao_Padrao());
        Guardar_Senha_Sessao({});
    }

    void ajustes_pelo_menu_sem_gravar_a_senha()
    {
        frmPrincipal principal;
        bool aberta = false;
        const auto quando = Quando_Modal<frmConexao>([&](frmConexao *w) {
            aberta = true;
            QCOMPARE(w->windowTitle(), QStringLiteral("Configuração da Conexão"));
            QCOMPARE(w->txtServidor->text().toStdString(), Ajustes_Conexao_Padrao().servidor);
            QCOMPARE(w->spnPorta->value(), 2500);
            QCOMPARE(w->cmbProxy->currentText(), QStringLiteral("Nenhum"));
            QVERIFY(!w->txtProxyServidor->isEnabled());
            w->txtServidor->setText("recepcao.exemplo.invalid");
            w->spnPorta->setValue(2600);
            w->cmdPadrao->click();  // "Restaurar padrão" brings both back
            QCOMPARE(w->txtServidor->text().toStdString(), Ajustes_Conexao_Padrao().servidor);
            QCOMPARE(w->spnPorta->value(), 2500);
            Preencher(*w, 2600, 2, 3128, "contador", "s3gredo");
            QVERIFY(w->txtSenha->isEnabled());
            w->cmdOk->click();
        });
        principal.mnuConfigurar->trigger();
        QVERIFY(aberta);

        const Ajustes_Conexao c = Conexao_Do_Usuario();
        QCOMPARE(c.porta, uint16_t(2600));
        QCOMPARE(c.proxy.tipo, Proxy::Tipo::Http);
        QCOMPARE(c.proxy.usuario, std::string("contador"));
        QCOMPARE(c.proxy.senha, std::string("s3gredo"));  // for this session
        QFile arquivo(Ajustes_Do_Usuario()->fileName());
        QVERIFY(arquivo.open(QIODevice::ReadOnly));
        QVERIFY(!arquivo.readAll().contains("s3gredo"));
    }

    void teste_de_conexao_fora_da_linha_da_janela()
    {
        Ouvinte_Mudo destino, proxy_mudo;
        Proxy_Local socks;
        Proxy_Local::Socks5(socks, "contador", "s3gredo");
        frmConexao w;
        w.show();
        QSignalSpy concluido(&w, &frmConexao::Teste_Concluido);

        Preencher(w, destino.porta, 1, socks.porta, "contador", "s3gredo");
        w.cmdTestar->click();
        QVERIFY(concluido.wait(20000));
        const QString ok = w.txtResultado->toPlainText();
        QVERIFY2(ok.startsWith("A conexão funciona.\nNome encontrado e conexão com o proxy SOCKS5 127.0.0.1:"), qPrintable(ok));
        QVERIFY(ok.contains("O proxy abriu o caminho até a máquina servidora 127.0.0.1:"));

        // A proxy that never answers: the click returns at once and the window keeps working
        // until the test gives up.
        Preencher(w, destino.porta, 1, proxy_mudo.porta, {}, {});
        QElapsedTimer relogio;
        relogio.start();
        w.cmdTestar->click();
        QVERIFY(relogio.elapsed() < 1000);
        QVERIFY(!w.cmdTestar->isEnabled());
        QVERIFY(concluido.wait(30000));
        const QString falha = w.txtResultado->toPlainText();
        QVERIFY2(falha.startsWith("A conexão não funciona."), qPrintable(falha));
        QVERIFY(falha.contains(QStringLiteral("não respondeu a tempo")));
        QVERIFY(falha.contains("10 - A máquina servidora não responde."));
        QVERIFY(w.cmdTestar->isEnabled());
    }

    void registro_visto_e_copiado()
    {
        Registro_Do_Usuario()->Anotar("Enviado: 1    P1.MOV0000100001 + 977 bytes");
        frmPrincipal principal;
        QString visto;
        const auto quando = Quando_Modal<frmRegistro>([&](frmRegistro *w) {
            visto = w->txtRegistro->toPlainText();
            w->cmdCopiar->click();
            w->cmdFechar->click();
        });
        principal.mnuRegistro->trigger();
        QVERIFY(visto.contains("Enviado: 1    P1.MOV0000100001 + 977 bytes"));
        QCOMPARE(QGuiApplication::clipboard()->text(), visto);
    }
};

QTEST_MAIN(TstConexao)
#include "tst_conexao.moc"
