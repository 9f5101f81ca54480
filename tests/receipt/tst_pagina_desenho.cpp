// The renderer on an image: column positions by average character width, a Tab already
// passed moving to the next line, and the whole receipt fitting on one page.
#include "engine/print/Desenho_Recibo.h"
#include "tests/receipt/Registros_Teste.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTest>

using Pagina_Recibo::Item;
using Pagina_Recibo::Linha;

namespace {
struct Tinta {
    int esquerda = -1, direita = -1, topo = -1, base = -1; // outer columns and rows with ink
};

Tinta Achar_Tinta(const QImage &img)
{
    Tinta t;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                if (t.esquerda < 0 || x < t.esquerda)
                    t.esquerda = x;
                t.direita = std::max(t.direita, x);
                if (t.topo < 0)
                    t.topo = y;
                t.base = y;
            }
    return t;
}

struct Desenho {
    QImage img{1600, 400, QImage::Format_RGB32};
    double w = 0, altura = 0, usado = 0;
    explicit Desenho(const std::vector<Linha> &linhas)
    {
        img.fill(Qt::white);
        QPainter p(&img);
        p.setFont(Fonte_Recibo());
        const QFontMetricsF m(p.font(), p.device());
        w = Largura_Media(m);
        altura = m.height();
        usado = Desenhar_Pagina(p, linhas);
    }
};

Item T(const char *s) { return {Item::Texto, 0, s}; }
} // namespace

class tst_pagina_desenho : public QObject {
    Q_OBJECT
private slots:
    void colunas_pela_largura_media()
    {
        for (int coluna : {1, 14, 41}) {
            Desenho d({{{Item::Tab, coluna, {}}, T("|")}});
            QVERIFY(qAbs(Achar_Tinta(d.img).esquerda - (coluna - 1) * d.w) <= 2.0);
        }
        Desenho d({{{Item::Spc, 20, {}}, T("|")}});
        QVERIFY(qAbs(Achar_Tinta(d.img).esquerda - 20 * d.w) <= 2.0);
    }

    void tab_passada_vai_para_a_linha_seguinte()
    {
        Desenho uma({{{Item::Tab, 1, {}}, T("|")}});
        Desenho duas({{{Item::Tab, 1, {}}, T("__________"), {Item::Tab, 3, {}}, T("|")}});
        QCOMPARE(duas.usado, 2 * duas.altura);
        const Tinta a = Achar_Tinta(uma.img), b = Achar_Tinta(duas.img);
        QVERIFY(qAbs(b.base - (a.base + duas.altura)) <= 1.5);
        // On the next line the text starts at its column, not at the left edge.
        QImage segunda = duas.img.copy(0, int(duas.altura) + 1, duas.img.width(), int(duas.altura));
        QVERIFY(qAbs(Achar_Tinta(segunda).esquerda - 2 * duas.w) <= 2.0);
    }

    // The widest line (the version at column 121) and all lines fit in an A4 or Letter printable area.
    void recibo_cabe_na_pagina()
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(QDir::temp().filePath("tst_pagina_desenho.pdf"));
        QPainter p(&pdf);
        p.setFont(Fonte_Recibo());
        const double usado = Desenhar_Pagina(p, Montar_Pagina(Registro_Teste(), QDateTime::currentDateTime()));
        const QFontMetricsF m(p.font(), p.device());
        const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
        QVERIFY(usado < area.height());
        QVERIFY(120 * Largura_Media(m) + m.horizontalAdvance("Versão: 1.01") < area.width());
        p.end();
        QFile::remove(pdf.outputFileName());
    }

    // Centred on an A4-wide area: the same lines and columns, only moved, with equal margins.
    void centrada_so_desloca_a_pagina()
    {
        const auto linhas = Montar_Pagina(Registro_Teste(), QDateTime::currentDateTime());
        Tinta t[2];
        double usado[2];
        for (int centrada : {0, 1}) {
            // A4 at 300 dots per inch, where the rules' thin strokes are full ink.
            QImage img(2480, 3508, QImage::Format_RGB32);
            img.setDotsPerMeterX(11811);
            img.setDotsPerMeterY(11811);
            img.fill(Qt::white);
            QPainter p(&img);
            p.setFont(Fonte_Recibo());
            usado[centrada] = centrada ? Desenhar_Pagina_Centrada(p, linhas) : Desenhar_Pagina(p, linhas);
            p.end();
            t[centrada] = Achar_Tinta(img);
        }
        QCOMPARE(usado[1], usado[0]);
        QCOMPARE(t[1].topo, t[0].topo);
        QCOMPARE(t[1].base, t[0].base);
        QVERIFY(qAbs((t[1].direita - t[1].esquerda) - (t[0].direita - t[0].esquerda)) <= 1);
        const int esquerda = t[1].esquerda, direita = 2479 - t[1].direita;
        QVERIFY2(qAbs(esquerda - direita) <= 4, qPrintable(QString("%1 %2").arg(esquerda).arg(direita)));
    }
};

QTEST_MAIN(tst_pagina_desenho)
#include "tst_pagina_desenho.moc"
