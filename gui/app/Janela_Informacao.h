#pragma once
// What the About and Support windows share: an MDI child of fixed size, light grey, with
// MS Sans Serif 8.25 pt bold, its controls on a frame without caption, closed by its "&Ok" button.
#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

class Janela_Informacao : public QWidget {
    Q_OBJECT
public:
    QGroupBox *Frame1;

    // Places the window (its MDI sub-window once it has one) with Centraliza_Form.
    void Form_Load();

protected:
    // Client size and the frame's place, in twips.
    Janela_Informacao(const QString &titulo, double largura, double altura, double frame_esquerda,
                      double frame_largura, double frame_altura, QWidget *parent);

    // A label on the frame; `pontos` and `cor` override the window's font size and text colour.
    QLabel *Rotulo(const QString &texto, double esquerda, double topo, double largura, double altura,
                   double pontos = 0, const QColor &cor = QColor());
    QPushButton *Botao_Ok(double esquerda, double topo, double largura, double altura);

    // Closes the window; its sub-window is deleted on close, so the next opening creates it anew.
    void Descarregar();
};
