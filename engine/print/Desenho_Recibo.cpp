#include "engine/print/Desenho_Recibo.h"

#include "engine/platform/Texto1252.h"

#include <QFontMetricsF>
#include <QPainter>

using namespace Pagina_Recibo;

QFont Fonte_Recibo()
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(8.5);
    f.setBold(true);
    f.setItalic(false);
    return f;
}

double Largura_Media(const QFontMetricsF &m)
{
    // Weights per thousand of 'a' to 'z', then the blank.
    static constexpr int pesos[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6,  35, 20, 56,
                                      56, 17, 4,  49, 56,  71, 31, 10, 18, 3,  18, 2,  166};
    double soma = 0;
    for (int i = 0; i < 27; ++i)
        soma += pesos[i] * m.horizontalAdvance(i < 26 ? QChar('a' + i) : QChar(' '));
    return soma / 1000.0;
}

double Desenhar_Pagina(QPainter &pintor, const std::vector<Linha> &linhas)
{
    const QFontMetricsF m(pintor.font(), pintor.device());
    const double w = Largura_Media(m);
    const double altura = m.height();
    double x = 0, y = 0;
    for (const Linha &linha : linhas) {
        for (const Item &item : linha) {
            switch (item.tipo) {
            case Item::Tab: {
                const double coluna = (item.n - 1) * w;
                if (x > coluna)
                    y += altura;
                x = coluna;
                break;
            }
            case Item::Spc:
                x += item.n * w;
                break;
            case Item::Texto: {
                const QString texto = De_1252(item.texto);
                pintor.drawText(QPointF(x, y + m.ascent()), texto);
                x += m.horizontalAdvance(texto);
                break;
            }
            }
        }
        x = 0;
        y += altura;
    }
    return y;
}
