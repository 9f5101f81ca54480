#include "engine/print/Desenho_Recibo.h"

#include "engine/platform/Texto1252.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

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

namespace {
// Lays the lines out as the printed page does, handing each text with its left end and top to
// `texto`. Returns the height used.
template <class Texto> double Percorrer(const QFontMetricsF &m, const std::vector<Linha> &linhas, Texto texto)
{
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
                const QString s = De_1252(item.texto);
                texto(x, y, s);
                x += m.horizontalAdvance(s);
                break;
            }
            }
        }
        x = 0;
        y += altura;
    }
    return y;
}
} // namespace

double Desenhar_Pagina(QPainter &pintor, const std::vector<Linha> &linhas)
{
    const QFontMetricsF m(pintor.font(), pintor.device());
    return Percorrer(m, linhas, [&](double x, double y, const QString &s) {
        pintor.drawText(QPointF(x, y + m.ascent()), s);
    });
}

double Desenhar_Pagina_Centrada(QPainter &pintor, const std::vector<Linha> &linhas)
{
    const QFontMetricsF m(pintor.font(), pintor.device());
    // The ink's extent: fields are padded with blanks, which a tight rectangle still spans, and
    // glyphs do not fill their advance.
    double esquerda = 0, direita = 0;
    bool primeiro = true;
    Percorrer(m, linhas, [&](double x, double, const QString &s) {
        const QString visivel = s.trimmed();
        if (visivel.isEmpty())
            return;
        const double inicio = x + m.horizontalAdvance(s.left(s.indexOf(visivel)));
        const QRectF tinta = m.tightBoundingRect(visivel).translated(inicio, 0);
        esquerda = primeiro ? tinta.left() : std::min(esquerda, tinta.left());
        direita = primeiro ? tinta.right() : std::max(direita, tinta.right());
        primeiro = false;
    });
    pintor.save();
    pintor.translate((pintor.device()->width() - (direita - esquerda)) / 2 - esquerda, 0);
    const double usado = Desenhar_Pagina(pintor, linhas);
    pintor.restore();
    return usado;
}
