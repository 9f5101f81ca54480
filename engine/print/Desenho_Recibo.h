#pragma once
// Draws the receipt page on any paint device (a printer, or an image in tests).
#include "engine/receipt/Pagina_Recibo.h"

#include <QFont>

class QFontMetricsF;

class QPainter;

// The one font of the printed receipt: "Arial" 8.5 points, bold, not italic.
QFont Fonte_Recibo();

// The column width w: the average width of the font's characters as the classic font tables define
// it, lowercase letters and the blank weighted by their frequency in text. Fonts that state a plain
// average over all their glyphs give a wider figure, which pushes column 121 off the page.
double Largura_Media(const QFontMetricsF &metricas);

// Draws the lines from the top-left corner of the painter's area in the painter's current font.
// Column n begins (n - 1) x Largura_Media; a Tab to a column already passed
// continues on the next line. Returns the height used, in device units.
double Desenhar_Pagina(QPainter &pintor, const std::vector<Pagina_Recibo::Linha> &linhas);

// Draws the lines as Desenhar_Pagina does, moved sideways so that the text's extent sits in the
// middle of the painter's area: same columns, equal margins left and right.
double Desenhar_Pagina_Centrada(QPainter &pintor, const std::vector<Pagina_Recibo::Linha> &linhas);
