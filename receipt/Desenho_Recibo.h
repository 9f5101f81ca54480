#pragma once
// Draws the receipt page on any paint device (a printer, or an image in tests).
#include "receipt/Pagina_Recibo.h"

#include <QFont>

class QPainter;

// The one font of the printed receipt: "Arial" 8.5 points, bold, not italic.
QFont Fonte_Recibo();

// Draws the lines from the top-left corner of the painter's area in the painter's current font.
// Column n begins (n - 1) x the font's average character width; a Tab to a column already passed
// continues on the next line. Returns the height used, in device units.
double Desenhar_Pagina(QPainter &pintor, const std::vector<Linha> &linhas);
