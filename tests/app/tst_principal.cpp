// The main window: menus, the reprint item, the information windows, the transmit window's
// lifetime and the two ways out.
#include "gui/cis/CIS_000.h"
#include "gui/app/frmPrincipal.h"
#include "gui/app/frmSobre.h"
#include "gui/app/frmSuporte.h"
#include "gui/intake/frmInicio.h"
#include "gui/intake/frmLote.h"
#include "tests/common/Janela_Modal.h"
#include "tests/common/RoteiroMensagens.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {
QStringList Legendas(const QMenu *menu)
{
    QStringList l;
    for (const QAction *a : menu->actions())
        l << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return l;
}

// The window shows the program's icon, not Qt's.
void Conferir_Icone(QWidget *janela)
{
    const QImage esperado(QDir(qEnvironmentVariable("ZELTA_SOURCE_DIR")).filePath(QStringLiteral("packaging/icons/zeltanet-32.png")));
    QVERIFY(!esperado.isNull());
    const QImage mostrado = janela->windowIcon().pixmap(QSize(32, 32)).toImage();
    QCOMPARE(mostrado.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             esperado.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}
} // namespace

class TstPrincipal : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void legendas_e_letras_de_acesso();
    void reimpressao_segue_o_historico_do_diretorio_atual();
    void janela_de_reimpressao_bloqueia_as_acoes();
    void sobre_uma_so_e_nova_depois_do_ok();
    void suporte_uma_so_e_nova_depois_do_ok();
    void janela_de_transmissao_comeca_do_zero_a_cada_abertura();
    void varios_arquivos_abre_a_janela_do_lote_modal();
    void sair_termina_sem_perguntar();
    void fechar_a_janela_termina_o_programa();
    void ajuda_sem_arquivo_nao_mostra_nada();

private:
    QTemporaryDir dir_;
    QString anterior_;
};

void TstPrincipal::init()
{
    QVERIFY(dir_.isValid());
    anterior_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.path()));
}

void TstPrincipal::cleanup()
{
    QDir::setCurrent(anterior_);
    QFile::remove(dir_.filePath(QStringLiteral("Zelta.ret")));
}

void TstPrincipal::legendas_e_letras_de_acesso()
{
    frmPrincipal w;
    QCOMPARE(w.windowTitle(), QStringLiteral("ZELTA Net"));
    QStringList topo;
    for (const QAction *a : w.menuBar()->actions())
        topo << a->text();
    QCOMPARE(topo, QStringList({QStringLiteral("&Ação"), QStringLiteral("&Conexão"), QStringLiteral("A&juda")}));
    QCOMPARE(Legendas(w.mnuConexao), QStringList({QStringLiteral("&Configuração da Conexão..."),
                                                  QStringLiteral("&Ver registro de comunicação")}));
    QCOMPARE(Legendas(w.mnuCad), QStringList({QStringLiteral("&Transmitir Pela Internet"),
                                              QStringLiteral("&Reimprimir Recibo de Transmissão"),
                                              QStringLiteral("Transmitir &Vários Arquivos"),
                                              QStringLiteral("&Entregas do Mês"),
                                              QStringLiteral("-"), QStringLiteral("&Sair")}));
    QCOMPARE(w.mnuLote, w.mnuCad->actions().at(2));
    QCOMPARE(w.mnuEntregas, w.mnuCad->actions().at(3));
    QCOMPARE(Legendas(w.mnuAjuda),
             QStringList({QStringLiteral("&Manual do Usuário"), QStringLiteral("-"),
                          QStringLiteral("Suporte &Técnico"), QStringLiteral("&Sobre...")}));
    for (const QMenu *m : {w.mnuCad, w.mnuConexao, w.mnuAjuda})
        for (const QAction *a : m->actions())
            QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->text()));
    QCOMPARE(w.mnuAcao[1], w.mnuCad->actions().at(1));
    QVERIFY(w.mnuAcao[2]->isSeparator());
}

void TstPrincipal::reimpressao_segue_o_historico_do_diretorio_atual()
{
    frmPrincipal w;
    QVERIFY(w.mnuAcao[1]->isEnabled()); // design state until the menu is first opened
    w.mnuCad->popup(QPoint(0, 0));      // opening the menu runs mnuCad_Click
    QVERIFY(!w.mnuAcao[1]->isEnabled());
    w.mnuCad->hide();

    QFile f(QStringLiteral("Zelta.ret"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    w.mnuCad_Click();
    QVERIFY(w.mnuAcao[1]->isEnabled());

    // Another working directory does not see that history.
    QTemporaryDir outro;
    QVERIFY(QDir::setCurrent(outro.path()));
    w.mnuCad_Click();
    QVERIFY(!w.mnuAcao[1]->isEnabled());
    QVERIFY(w.mnuAcao[0]->isEnabled() && w.mnuAcao[3]->isEnabled());
}

void TstPrincipal::janela_de_reimpressao_bloqueia_as_acoes()
{
    frmPrincipal w;
    Habilitar_Acoes_Principal(false);
    QVERIFY(!w.mnuAcao[0]->isEnabled() && !w.mnuAcao[1]->isEnabled() && !w.mnuAcao[3]->isEnabled());
    Habilitar_Acoes_Principal(true); // all three, whether or not the history exists
    QVERIFY(w.mnuAcao[0]->isEnabled() && w.mnuAcao[1]->isEnabled() && w.mnuAcao[3]->isEnabled());
    w.mnuCad_Click(); // and the next opening puts the reprint item right again
    QVERIFY(!w.mnuAcao[1]->isEnabled());
}

void TstPrincipal::sobre_uma_so_e_nova_depois_do_ok()
{
    frmPrincipal w;
    w.show();
    w.mnuSobre_Click();
    QPointer<QMdiSubWindow> primeira = w.Janela_Sobre();
    QVERIFY(primeira);
    auto *sobre = qobject_cast<frmSobre *>(primeira->widget());
    QVERIFY(sobre);
    QCOMPARE(primeira->windowTitle(), QStringLiteral("ZELTA Net - Sobre"));
    Conferir_Icone(primeira);
    QCOMPARE(sobre->Label1->text(), QStringLiteral("ZELTA Net"));
    QCOMPARE(sobre->Label2->text(), QStringLiteral("Transmissor de arquivos do ZELTA pela rede Internet"));
    QCOMPARE(sobre->Label3->text(), QStringLiteral("Versão 1.01"));
    QCOMPARE(sobre->Label4->text(), QStringLiteral("PROJETO ZELTA"));
    QCOMPARE(sobre->Command1->text(), QStringLiteral("&Ok"));
    QCOMPARE(sobre->size(), QSize(Twips_X(5385), Twips_Y(2145)));
    QCOMPARE(sobre->Label1->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QCOMPARE(sobre->Label3->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(sobre->palette().color(QPalette::Window), QColor(192, 192, 192));
    QVERIFY(sobre->font().bold());

    w.mnuSupTec_Click(); // another window on top, then About again
    w.mnuSobre_Click();
    QCOMPARE(w.Janela_Sobre(), primeira.data());
    QCOMPARE(w.Area()->activeSubWindow(), primeira.data());
    int sobres = 0;
    for (QMdiSubWindow *s : w.Area()->subWindowList())
        sobres += qobject_cast<frmSobre *>(s->widget()) != nullptr;
    QCOMPARE(sobres, 1);

    sobre->Command1->click();
    QTRY_VERIFY(!primeira); // released
    QVERIFY(!w.Janela_Sobre());
    w.mnuSobre_Click();
    QVERIFY(w.Janela_Sobre());
}

void TstPrincipal::suporte_uma_so_e_nova_depois_do_ok()
{
    frmPrincipal w;
    w.show();
    w.mnuSupTec_Click();
    QPointer<QMdiSubWindow> primeira = w.Janela_Suporte();
    QVERIFY(primeira);
    auto *suporte = qobject_cast<frmSuporte *>(primeira->widget());
    QVERIFY(suporte);
    QCOMPARE(primeira->windowTitle(), QStringLiteral("ZELTA Net - Suporte Técnico"));
    Conferir_Icone(primeira);
    QCOMPARE(suporte->Label4->text(),
             QStringLiteral("Suporte Técnico : suporte@zelta.example  PROJETO ZELTA"));
    QCOMPARE(suporte->Command2->text(), QStringLiteral("&Ok"));
    QCOMPARE(suporte->size(), QSize(Twips_X(5520), Twips_Y(2865)));
    w.mnuSupTec_Click();
    QCOMPARE(w.Janela_Suporte(), primeira.data());
    QCOMPARE(w.Area()->subWindowList().size(), 1);
    suporte->Command2->click();
    QTRY_VERIFY(!primeira);
    w.mnuSupTec_Click();
    QVERIFY(w.Janela_Suporte() && w.Janela_Suporte() != primeira);
}

void TstPrincipal::janela_de_transmissao_comeca_do_zero_a_cada_abertura()
{
    frmPrincipal w;
    w.show();
    QPointer<QWidget> primeira;
    const auto espera = Quando_Modal([&](QWidget *m) {
        auto *inicio = qobject_cast<frmInicio *>(m);
        QVERIFY(inicio);
        primeira = inicio;
        inicio->txtTipoArq->setText(QStringLiteral("*.txt"));
        inicio->cmdSair->click(); // "&Voltar"
    });
    w.mnuAcao_Click(0);
    QVERIFY(primeira.isNull()); // deleted once closed
    QVERIFY(!QApplication::activeModalWidget());

    QString padrao;
    const auto espera2 = Quando_Modal([&](QWidget *m) {
        auto *inicio = qobject_cast<frmInicio *>(m);
        QVERIFY(inicio);
        padrao = inicio->txtTipoArq->text();
        inicio->close();
    });
    w.mnuAcao_Click(0);
    QCOMPARE(padrao, QStringLiteral("*.m*"));
}

void TstPrincipal::sair_termina_sem_perguntar()
{
    RoteiroMensagens roteiro;
    frmPrincipal w;
    w.show();
    w.mnuSobre_Click();
    QTimer::singleShot(0, &w, [&w] { w.mnuAcao_Click(3); });
    QTimer::singleShot(5000, [] { QApplication::exit(99); }); // a hang fails instead of blocking
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!w.isVisible());
    QVERIFY(roteiro.vistas().empty());
}

void TstPrincipal::fechar_a_janela_termina_o_programa()
{
    RoteiroMensagens roteiro;
    frmPrincipal w;
    w.show();
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    QTimer::singleShot(5000, [] { QApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!w.isVisible());
    QVERIFY(roteiro.vistas().empty());
}

void TstPrincipal::ajuda_sem_arquivo_nao_mostra_nada()
{
    // The test program's folder has no Ajuda.hlp: the failure is swallowed, no box, no window.
    RoteiroMensagens roteiro;
    frmPrincipal w;
    const qsizetype antes = QApplication::topLevelWidgets().size();
    w.mnuHelp_Click();
    QVERIFY(roteiro.vistas().empty());
    QCOMPARE(QApplication::topLevelWidgets().size(), antes);
}

void TstPrincipal::varios_arquivos_abre_a_janela_do_lote_modal()
{
    frmPrincipal w;
    w.show();
    bool vista = false;
    const auto espera = Quando_Modal([&](QWidget *m) {
        auto *lote = qobject_cast<frmLote *>(m);
        QVERIFY(lote);
        vista = lote->isModal();
        lote->cmdSair->click();
    });
    w.mnuLote->trigger();
    QVERIFY(vista);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TstPrincipal)
#include "tst_principal.moc"
