// Window placement: the rule on plain numbers, then on real windows.
#include "gui/cis/CIS_000.h"
#include "gui/app/frmPrincipal.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QtTest>

class TstCentraliza : public QObject {
    Q_OBJECT
private slots:
    void regra_data();
    void regra();
    void janela_de_topo_fica_centrada_na_tela();
    void janela_filha_usa_a_area_da_principal();
};

void TstCentraliza::regra_data()
{
    QTest::addColumn<double>("largura");
    QTest::addColumn<double>("altura");
    QTest::addColumn<double>("ref_l");
    QTest::addColumn<double>("ref_a");
    QTest::addColumn<double>("desloc_l");
    QTest::addColumn<double>("desloc_t");
    QTest::addColumn<double>("esquerda");
    QTest::addColumn<double>("topo");
    // Screen 12000 x 9000 twips in every row.
    QTest::newRow("centrada") << 4000.0 << 3000.0 << 12000.0 << 9000.0 << 0.0 << 0.0 << 4000.0 << 3000.0;
    QTest::newRow("meio twip sem arredondar") << 4001.0 << 3001.0 << 12000.0 << 9000.0 << 0.0 << 0.0 << 3999.5 << 2999.5;
    QTest::newRow("mais larga que a tela") << 13000.0 << 3000.0 << 12000.0 << 9000.0 << 0.0 << 0.0 << 100.0 << 3000.0;
    QTest::newRow("mais alta que a tela") << 4000.0 << 9500.0 << 12000.0 << 9000.0 << 0.0 << 0.0 << 4000.0 << 100.0;
    QTest::newRow("exatamente da largura da tela") << 12000.0 << 3000.0 << 12000.0 << 9000.0 << 0.0 << 0.0 << 100.0 << 3000.0;
    QTest::newRow("quase encostada: 100 fica") << 11800.0 << 8800.0 << 12000.0 << 9000.0 << 0.0 << 0.0 << 100.0 << 100.0;
    // Child of the main window: its area and its position on the screen count, the screen still limits.
    QTest::newRow("filha da principal") << 2000.0 << 1000.0 << 8000.0 << 5000.0 << 600.0 << 300.0 << 3600.0 << 2300.0;
    QTest::newRow("filha que passaria da tela") << 2000.0 << 1000.0 << 8000.0 << 5000.0 << 8000.0 << 7000.0 << 100.0 << 100.0;
}

void TstCentraliza::regra()
{
    QFETCH(double, largura);
    QFETCH(double, altura);
    QFETCH(double, ref_l);
    QFETCH(double, ref_a);
    QFETCH(double, desloc_l);
    QFETCH(double, desloc_t);
    QFETCH(double, esquerda);
    QFETCH(double, topo);
    const auto [e, t] = Posicao_Centralizada(largura, altura, {ref_l, ref_a, desloc_l, desloc_t}, 12000, 9000);
    QCOMPARE(e, esquerda);
    QCOMPARE(t, topo);
}

void TstCentraliza::janela_de_topo_fica_centrada_na_tela()
{
    QWidget janela;
    janela.resize(200, 100);
    Centraliza_Form(&janela);
    const QRect tela = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(janela.x() - (tela.width() - 200) / 2) <= 1);
    QVERIFY(qAbs(janela.y() - (tela.height() - 100) / 2) <= 1);
    QCOMPARE(janela.size(), QSize(200, 100)); // only the place changes
}

void TstCentraliza::janela_filha_usa_a_area_da_principal()
{
    frmPrincipal principal;
    principal.move(Twips_X(300), Twips_Y(150));
    principal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&principal));
    principal.mnuSobre_Click();
    QMdiSubWindow *sub = principal.Janela_Sobre();
    QVERIFY(sub);
    const QWidget *area = principal.Area()->viewport();
    const QRect tela = QGuiApplication::primaryScreen()->geometry();
    const auto [e, t] = Posicao_Centralizada(
        Px_Para_Twips_X(sub->width()), Px_Para_Twips_Y(sub->height()),
        {Px_Para_Twips_X(area->width()), Px_Para_Twips_Y(area->height()), Px_Para_Twips_X(principal.x()),
         Px_Para_Twips_Y(principal.y())},
        Px_Para_Twips_X(tela.width()), Px_Para_Twips_Y(tela.height()));
    // The sub-window (the frame the user sees) is what moves, inside the MDI area.
    QCOMPARE(sub->pos(), QPoint(Twips_X(e), Twips_Y(t)));
}

QTEST_MAIN(TstCentraliza)
#include "tst_centraliza.moc"
