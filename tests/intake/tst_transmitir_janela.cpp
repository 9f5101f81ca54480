// One delivery through the real transmit window: chooser, button, receipt state, the close box
// ignored while the transmission runs, and the window closed after a refusal.
#include "../transmit/Relogio_Rapido.h"
#include "../transmit/Servidor_Local.h"

#include "gui/cis/CIS_000.h"
#include "engine/history/Historico.h"
#include "gui/intake/Lista_Arquivos.h"
#include "gui/intake/Lista_Pastas.h"
#include "gui/intake/frmInicio.h"
#include "tests/common/Declaracao_Teste.h"
#include "tests/common/RoteiroMensagens.h"
#include "engine/transmit/Mensagens.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sys/stat.h>
#include <cstdio>

namespace {
// The fast clock with a look at every sleep of the command's pauses.
class Relogio_Espiao : public Relogio_Rapido {
public:
    void Esperar(double s) override
    {
        if (espiar)
            espiar();
        Relogio_Rapido::Esperar(s);
    }
    std::function<void()> espiar;
};

// Records the text the progress box shows each time it is painted.
class Pinturas : public QObject {
public:
    explicit Pinturas(QLineEdit *caixa) : caixa_(caixa) { caixa->installEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == caixa_ && e->type() == QEvent::Paint && (textos.isEmpty() || textos.last() != caixa_->text()))
            textos << caixa_->text();
        return false;
    }
    QStringList textos;

private:
    QLineEdit *caixa_;
};
} // namespace

class TstTransmitirJanela : public QObject {
    Q_OBJECT

    QTemporaryDir pasta_;
    QString anterior_;
    Relogio_Espiao relogio_;

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
        relogio_.Vigiar(f.Socketout_.get());
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
    void cleanup()
    {
        relogio_.espiar = {};
        QDir::setCurrent(anterior_);
    }

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

    void recusas_deixam_o_foco_na_lista()
    {
        Opcoes_Geracao nao_validado = Declaracao_Padrao("NOVAL.MOV");
        nao_validado.validar = false;
        Gerar_Arquivo(nao_validado);
        Alterar_Depois_Da_Validacao("ENTREGA.MOV");

        RoteiroMensagens r;
        frmInicio f;
        f.show();
        QVERIFY(f.dirList->setPath(pasta_.path()));
        f.cmdTransmitir->setFocus();
        f.filList->setListIndex(-1);
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QCOMPARE(r.textos(), QStringList{Mensagem_01});
        QCOMPARE(f.focusWidget(), f.filList);
        for (const char *nome : {"NOVAL.MOV", "ENTREGA.MOV"}) {
            Escolher(f, nome);
            f.cmdTransmitir->setFocus();
            QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
            QCOMPARE(f.focusWidget(), f.filList);
        }
        QCOMPARE(r.textos(), (QStringList{Mensagem_01, Mensagem_15, Mensagem_16}));
        QVERIFY(f.isVisible());
        QVERIFY(f.cmdTransmitir->isEnabled() && f.filList->isEnabled());
    }

    // Every text the command sets is painted when it is set, and the window paints during the
    // pauses; what is typed meanwhile does nothing, then or after the command.
    void pinta_durante_as_pausas_e_ignora_o_teclado()
    {
        Servidor_Local s;
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        frmInicio f;
        Preparar(f, s.porta);
        Pinturas p(f.txtPercentual);
        struct Conta : QObject {
            int n = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                n += e->type() == QEvent::Paint;
                return false;
            }
        } pinturas_janela;
        f.installEventFilter(&pinturas_janela);
        int esperas = 0;
        relogio_.espiar = [&] {
            ++esperas;
            f.update(); // as if the window were uncovered: it must be painted again within the pause
            QCoreApplication::postEvent(&f, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        };
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        relogio_.espiar = {};
        QCoreApplication::processEvents();
        QCOMPARE(r.textos(), QStringList{Mensagem::Confirmacao_03});
        QCOMPARE(p.textos, (QStringList{"Conectando servidor...", "0% transmitido", "100% transmitido",
                                        "Aguardando resposta do servidor..."}));
        QVERIFY(esperas > 10);
        QVERIFY2(pinturas_janela.n >= esperas / 2, qPrintable(QString("%1 %2").arg(pinturas_janela.n).arg(esperas)));
        QVERIFY(f.isVisible());
        QCOMPARE(f.cmdTransmitir->text(), QString("Visualizar"));
    }

    // Choosing a file shows what it holds where the address box would be; the first Down arrow
    // chooses the first file; the summary gives way to the progress box once the command runs.
    void nome_longo_dito_no_resumo()
    {
        Gerar_Arquivo(Declaracao_Padrao("DECLARACAO_LONGA.MOV"));
        frmInicio f;
        f.show();
        QVERIFY(f.dirList->setPath(pasta_.path()));
        for (int i = 0; i < f.filList->ListCount(); ++i)
            if (f.filList->List(i) == "DECLARACAO_LONGA.MOV") {
                f.filList->setListIndex(i);
                QCOMPARE(f.filList->item(i)->toolTip(), QString("DECLARACAO_LONGA.MOV")); // the narrow list cuts it
            }
        QTRY_VERIFY(f.lblResumo->text().endsWith("\nnome com mais de 12 caracteres"));
        QCOMPARE(f.lblResumo->accessibleDescription(), QString("Conteúdo do arquivo - atenção"));
        f.filList->setListIndex(f.filList->List(0) == "ENTREGA.MOV" ? 0 : 1);
        QTRY_VERIFY(f.lblResumo->text().endsWith("\nvalidado"));
        QCOMPARE(f.lblResumo->accessibleDescription(), QString("Conteúdo do arquivo"));
    }

    // Nothing drawn against the window's edges, no caption or summary line cut: for the plain
    // summary and the longest warning a file can bring.
    void cada_controle_cabe_na_janela()
    {
        Gerar_Arquivo(Declaracao_Padrao("DECLARACAO_LONGA.MOV"));
        frmInicio f;
        f.show();
        QVERIFY(f.dirList->setPath(pasta_.path()));
        const int margem = 3;
        const std::pair<QString, QString> casos[] = {{"ENTREGA.MOV", "\nvalidado"},
                                                     {"DECLARACAO_LONGA.MOV", "\nnome com mais de 12 caracteres"}};
        for (const auto &[nome, final] : casos) {
            for (int i = 0; i < f.filList->ListCount(); ++i)
                if (f.filList->List(i) == nome)
                    f.filList->setListIndex(i);
            QTRY_VERIFY(f.lblResumo->text().endsWith(final));
            const QFontMetrics fm(f.lblResumo->font());
            const QRect texto = fm.boundingRect(f.lblResumo->contentsRect(), int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap),
                                                f.lblResumo->text());
            QVERIFY2(texto.height() <= f.lblResumo->height() && texto.width() <= f.lblResumo->width(),
                     qPrintable(QString("%1 x %2 de texto em %3 x %4").arg(texto.width()).arg(texto.height())
                                    .arg(f.lblResumo->width()).arg(f.lblResumo->height())));
            QVERIFY2(f.lblResumo->geometry().bottom() + margem < f.height(), qPrintable(f.lblResumo->text()));
        }
        QVERIFY(f.cmdSair->geometry().right() + margem < f.width());
        // Each caption a button carries (the receipt state's "Visualizar" too), with the style's
        // margins; the style's minimum button width is wider than the design's, so not the measure.
        const std::pair<QPushButton *, QString> legendas[] = {
            {f.cmdTransmitir, f.cmdTransmitir->text()}, {f.cmdTransmitir, "Visualizar"},
            {f.cmdSair, f.cmdSair->text()}, {f.cmdImprimir, f.cmdImprimir->text()}};
        for (const auto &[b, legenda] : legendas) {
            const int precisa = b->fontMetrics().size(Qt::TextShowMnemonic, legenda).width()
                              + 2 * b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
            QVERIFY2(precisa <= b->width(), qPrintable(QString("%1: %2 px em %3").arg(legenda).arg(precisa).arg(b->width())));
        }
    }

    void escolha_mostra_o_conteudo()
    {
        Opcoes_Geracao o = Declaracao_Padrao("CEI.MOV");
        o.tipo_identificador = "2";
        o.identificador = "00123456789012";
        o.validar = false;
        Gerar_Arquivo(o);
        RoteiroMensagens r;
        frmInicio f;
        f.show();
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QVERIFY(f.dirList->setPath(pasta_.path()));
        QVERIFY(!f.Text1->isVisible() && !f.Label1->isVisible());
        QCOMPARE(f.filList->List(0), QString("CEI.MOV"));
        f.filList->setFocus(); // the view puts its cursor on the first row
        QVERIFY(f.filList->hasFocus());
        QTest::keyClick(f.filList, Qt::Key_Down);
        QCOMPARE(f.filList->ListIndex(), 0);
        QTRY_COMPARE(f.lblResumo->text(), QString("EMPRESA EXEMPLO LTDA\n12.345.678.901-2  Março de 2024\n"
                                                   "ZELTA - 3 movimentos\nnão validado pelo PGV"));
        QTest::keyClick(f.filList, Qt::Key_Down);
        QCOMPARE(f.filList->List(f.filList->ListIndex()), QString("ENTREGA.MOV"));
        QTRY_VERIFY(f.lblResumo->text().endsWith("\nvalidado"));
        QVERIFY(f.lblResumo->text().contains("11.222.333/0001-81  Março de 2024"));
        QVERIFY(f.lblResumo->isVisible());

        r.responder(Resposta::Nao); // 03: nothing changes, the summary stays
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QVERIFY(f.lblResumo->isVisible());
        bool visivel_durante = true;
        r.limpar();
        r.responder(Resposta::Sim);
        f.Ajustes_.servidor = "nada.invalid"; // ends at once, after the window was locked
        r.ao_mostrar([&](const Mensagem_Vista &m) {
            if (m.texto.startsWith("12 - "))
                visivel_durante = f.lblResumo->isVisible();
        });
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QCOMPARE(r.textos().last(), Mensagem::Sem_Suporte_12);
        QVERIFY(!visivel_durante);
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

    // A name whose bytes are not valid in the file system's encoding is listed as Windows-1252,
    // opened by its own bytes, and travels as those bytes.
    void nome_em_1252_e_entregue()
    {
        const QByteArray bytes("A\xC7\xC3O.MOV");
        QCOMPARE(::rename("ENTREGA.MOV", bytes.constData()), 0);
        Servidor_Local s;
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        frmInicio f;
        f.Ajustes_.servidor = "127.0.0.1";
        f.Ajustes_.porta = s.porta;
        f.Relogio_ = &relogio_;
        relogio_.Vigiar(f.Socketout_.get());
        f.show();
        Escolher(f, QStringLiteral("AÇÃO.MOV"));
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QCOMPARE(r.textos(), QStringList{Mensagem::Confirmacao_03});
        QCOMPARE(f.cmdTransmitir->text(), QString("Visualizar"));
        QCOMPARE(Ler_Historico().entradas.at(0).substr(9, 12), std::string("    A\xC7\xC3O.MOV"));
        QCOMPARE(::unlink(bytes.constData()), 0); // a name QDir cannot remove
    }

    // A listed file that is a pipe by the time of the press is refused as a failure, never waited on.
    void arquivo_que_virou_pipe_e_falha()
    {
        RoteiroMensagens r;
        r.responder(Resposta::Sim);
        frmInicio f;
        f.show();
        Escolher(f, "ENTREGA.MOV");
        QVERIFY(QFile::remove("ENTREGA.MOV"));
        QCOMPARE(::mkfifo("ENTREGA.MOV", 0600), 0);
        QTest::mouseClick(f.cmdTransmitir, Qt::LeftButton);
        QCOMPARE(r.textos(), QStringList{"Erro não tratado: 75  -  Não é um arquivo comum"});
        QVERIFY(!f.isVisible());
    }
};

QTEST_MAIN(TstTransmitirJanela)
#include "tst_transmitir_janela.moc"
