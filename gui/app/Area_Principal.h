#pragma once
// The main window's MDI client area: the workspace colour with the program's picture drawn once
// from the top-left corner (not tiled, not stretched).
#include <QMdiArea>
#include <QPixmap>

class Area_Principal : public QMdiArea {
    Q_OBJECT
public:
    explicit Area_Principal(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *evento) override;

private:
    QPixmap fundo_;
};

// The background picture, 4794 x 3354 units at 576 units per inch, drawn at the screen's resolution.
QPixmap Desenhar_Fundo_Principal(qreal razao_pixels);
