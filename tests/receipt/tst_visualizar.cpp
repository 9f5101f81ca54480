// The receipt preview: captions of both file kinds, the identifier padding, the competence rule,
// and a fresh window each time it opens.
#include "gui/cis/CIS_000.h"
#include "gui/receipt/frmVisualizar.h"
#include "tests/common/Janela_Modal.h"
#include "tests/receipt/Registros_Teste.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using Legendas = std::map<QString, QString>;

class tst_visualizar : public QObject {
    Q_OBJECT
private slots:
    void legendas_movimento()
    {
        const Legendas esperado{
            {"Label12", "CNPJ: 12.345.678/0001-90 - CONSTRUÇÃO ÁGUA LTDA" + QString(15, ' ')},
            {"Label13", "END.: RUA DAS FLORES, 100" + QString(21, ' ')},
            {"Label14", "CEP: 12.345-678 - SP"},
            {"Label16", "05/03/2024 às 14:07:09"},
            {"Label17", "Código do Recebimento: 00012345"},
            {"Label9", "Referência: Março de 2024"},
            {"Label2", "Total de Autorizados Informados:      1"},
            {"Label3", "Total de Estabelecimentos Informados:      1"},
            {"Label5", "Total de Movimentações Informadas:     25"},
            {"Label6", "Total de Registros no Arquivo ZELTA:     27"},
            {"Label7", "Total de Registros Acerto no Arquivo:      0"},
            {"Label8", "Total de PIS/PASEP Zerados Informados:      2"},
            {"Label11", "Arquivo ZELTA"},
        };
        QCOMPARE(Legendas_Visualizar(Registro_Teste()), esperado);
    }

    void legendas_acerto()
    {
        const Legendas l = Legendas_Visualizar(Registro_Teste(Campos_Acerto()));
        QCOMPARE(l.at("Label12"), "CEI: 12.345.678.901-2 - CONSTRUÇÃO ÁGUA LTDA" + QString(15, ' '));
        QCOMPARE(l.at("Label9"), QString("Referência: Novembro de 2023"));
        QCOMPARE(l.at("Label2"), QString("Total de Autorizados Informados:      1"));
        QCOMPARE(l.at("Label3"), QString("Total de Movimentações Informadas:      4"));
        QCOMPARE(l.at("Label5"), QString("Total de Registros no Arquivo:      5"));
        QCOMPARE(l.at("Label11"), QString("Arquivo ACERTO"));
        QCOMPARE(l.at("Label17"), QString("Código do Recebimento: 00054321"));
        for (const char *vazio : {"Label6", "Label7", "Label8"})
            QVERIFY(!l.count(vazio));
    }

    void competencia_fora_do_ano_e_um_espaco()
    {
        Campos_Teste c;
        c.mes = "00";
        QCOMPARE(Legendas_Visualizar(Registro_Teste(c)).at("Label9"), QString(" "));
    }

    // The preview pads the identifier with zeros before masking, for both kinds.
    void identificador_preenchido_com_zeros()
    {
        Campos_Teste c;
        c.id = "  345678000190";
        QVERIFY(Legendas_Visualizar(Registro_Teste(c)).at("Label12").startsWith("CNPJ: 00.345.678/0001-90 - "));
        c.tipo_id = "2";
        c.id = "      56789012";
        QVERIFY(Legendas_Visualizar(Registro_Teste(c)).at("Label12").startsWith("CEI: 00.005.678.901-2 - "));
    }

    void janela_e_aberturas_sem_sobras()
    {
        Dados_Recibo = Registro_Teste();
        {
            frmVisualizar f;
            QCOMPARE(f.Label8->text(), QString("Total de PIS/PASEP Zerados Informados:      2"));
            // Right-aligned labels sized to their text keep their right edge.
            QCOMPARE(f.Label8->geometry().right() + 1, Twips_X(6495));
            QCOMPARE(f.Label3->geometry().right() + 1, Twips_X(6495));
            // The receipt code is never cut, whatever font stands in for the design font.
            QVERIFY(f.Label17->width() >= f.Label17->sizeHint().width());
        }
        Dados_Recibo = Registro_Teste(Campos_Acerto());
        frmVisualizar f;
        QCOMPARE(f.Label11->text(), QString("Arquivo ACERTO"));
        for (QLabel *vazio : {f.Label6, f.Label7, f.Label8})
            QCOMPARE(vazio->text(), QString());
    }

    // Labels on one design row read on one baseline: the lowest ink row of each caption (no
    // descenders in them: "Dezembro") is the same in the painted window (it was 7 pixels higher).
    void mesma_linha_mesma_base()
    {
        Campos_Teste c;
        c.mes = "12";
        Dados_Recibo = Registro_Teste(c);
        frmVisualizar f;
        // Each label painted alone: rows of neighbouring labels may overlap its box.
        auto base = [](QLabel *l) {
            const QImage img = l->grab().toImage();
            int b = -1;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (qGray(img.pixel(x, y)) < 96)
                        b = y;
            return b < 0 ? b : l->y() + b;
        };
        QCOMPARE(f.Label9->text(), QString("Referência: Dezembro de 2024"));
        QVERIFY(base(f.Label10) > 0);
        // Within a pixel: round letters dip below the line by a size-dependent fraction.
        QVERIFY2(qAbs(base(f.Label9) - base(f.Label10)) <= 1,
                 qPrintable(QString("%1 %2").arg(base(f.Label9)).arg(base(f.Label10))));
        // The totals stay an evenly spaced column at their design rows.
        QCOMPARE(f.Label5->y(), Twips_Y(2760));
        QCOMPARE(f.Label6->y(), Twips_Y(3000));
        // Still on their design row, right edge kept.
        QVERIFY(qAbs(f.Label9->y() - Twips_Y(1320)) <= f.Label10->height());
        QCOMPARE(f.Label9->geometry().right() + 1, Twips_X(6495));
    }

    void mostrar_e_modal_e_fecha_com_ok()
    {
        Dados_Recibo = Registro_Teste();
        QString codigo;
        const auto espera = Quando_Modal<frmVisualizar>([&](frmVisualizar *f) {
            codigo = f->Label17->text();
            f->Command1->click();
        });
        frmVisualizar::Mostrar(nullptr);
        QCOMPARE(codigo, QString("Código do Recebimento: 00012345"));
    }
};

QTEST_MAIN(tst_visualizar)
#include "tst_visualizar.moc"
