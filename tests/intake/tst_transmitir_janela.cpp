// One delivery through the real transmit window: chooser, button, receipt state, the close box
// ignored while the transmission runs, and the window closed after a refusal.
#include "../transmit/Relogio_Rapido.h"
#include "../transmit/Servidor_Local.h"

#include "app/cis/CIS_000.h"
#include "history/Historico.h"
#include "intake/Lista_Arquivos.h"
#include "intake/Lista_Pastas.h"
#include "intake/janela/frmInicio.h"
#include "tests/common/Declaracao_Teste.h"
#include "tests/common/RoteiroMensagens.h"
#include "transmit/Mensagens.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TstTransmitirJanela : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    QString anterior_;
    Relogio_Rapido relogio_;

    void Escolher(frmInicio &f, const QString &nome)
    {
        QVERIFY(f.dirList->setPath(pasta_.path()));
        QCOMPARE(f.filList->Path(), pasta_.path());
        for (int i = 0; i < f.filList->ListCount(); ++i)
            if (f.filList->List(i) == nome)
                f.filList->setListIndex(i);
        QCOMPARE(f.filList->List(f.filList->ListIndex()), nome);
    }

    // The window pointed at the test's server and fast clock, the sample file chosen.
    void Preparar(frmInicio &f, uint16_t porta)
    {
        f.Ajustes_.servidor = "127.0.0.1";
        f.Ajustes_.porta = porta;
        f.Relogio_ = &relogio_;
        f.show();
        Escolher(f, "ENTREGA.MOV");
    }

private slots:
    void init()
    {
        QDir(pasta_.path()).removeRecursively();
        QDir().mkpath(pasta_.path());
        anterior_ = QDir::currentPath();
        QDir::setCurrent(pasta_.path());
        Gravar_Declaracao("ENTREGA.MOV");
    }
    void cleanup() { QDir::setCurrent(anterior_); }

    void entrega_pela_janela()
    {
        Servidor_Local s;
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        frmInicio f;
        Preparar(f, s.porta);
        bool visivel_durante = false;
        r.ao_mostrar([&](const Mensagem_Vista &) {
            f.close(); // the close box while the command runs is ignored
            visivel_durante = f.isVisible();
        });
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QCOMPARE(r.textos(), QStringList{Mensagem::Confirmacao_03});
        QVERIFY(visivel_durante);
        QVERIFY(f.isVisible());
        QCOMPARE(f.cmdTransmitir->text(), QString("Visualizar"));
        QVERIFY(f.cmdTransmitir->isEnabled() && f.cmdSair->isEnabled());
        QVERIFY(!f.filList->isEnabled() && !f.dirList->isEnabled());
        QVERIFY(f.Label3->isVisible() && f.Label2->isVisible() && f.cmdImprimir->isVisible() && f.cmb_print->isVisible());
        QVERIFY(!f.txtPercentual->isVisible());
        QCOMPARE(f.height(), Twips_Y(5532));
        QCOMPARE(f.cmdTransmitir->y(), Twips_Y(4680));
        // Tab walks the receipt state's controls in screen order: printer, Imprimir, Visualizar, Voltar.
        QList<QWidget *> ordem;
        for (QWidget *w = f.cmb_print->nextInFocusChain(); w != f.cmb_print; w = w->nextInFocusChain())
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)
                && QList<QWidget *>{f.cmdImprimir, f.cmdTransmitir, f.cmdSair}.contains(w))
                ordem << w;
        QCOMPARE(ordem, (QList<QWidget *>{f.cmdImprimir, f.cmdTransmitir, f.cmdSair}));
        const Leitura_Historico h = Ler_Historico();
        QCOMPARE(h.total, 1LL);
        QCOMPARE(f.Label3->text(), QString("Código do Recebimento: ") + QString::fromStdString(h.entradas[0].substr(21, 8)));
        QCOMPARE(Dados_Recibo, h.entradas[0]);
        QVERIFY(!f.Socketout_->Conectado());

        // After the press, the close box works again.
        r.ao_mostrar({});
        f.close();
        QVERIFY(!f.isVisible());
    }

    void recusa_fecha_a_janela()
    {
        servidor::Opcoes o;
        o.resposta_fixa = "8";
        Servidor_Local s(o);
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        frmInicio f;
        Preparar(f, s.porta);
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QCOMPARE(r.textos(), (QStringList{Mensagem::Confirmacao_03, Mensagem::Descompactacao_07}));
        QVERIFY(!f.isVisible());
        QVERIFY(!Historico_Existe());
    }

    void sem_selecao_mensagem_01()
    {
        RoteiroMensagens r;
        frmInicio f;
        f.show();
        QVERIFY(f.dirList->setPath(pasta_.path()));
        f.filList->setListIndex(-1);
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QCOMPARE(r.textos().size(), 1);
        QVERIFY(r.textos().first().startsWith("01 - "));
        QVERIFY(f.isVisible());
        QVERIFY(f.cmdTransmitir->isEnabled());
    }
};

QTEST_MAIN(TstTransmitirJanela)
#include "tst_transmitir_janela.moc"
