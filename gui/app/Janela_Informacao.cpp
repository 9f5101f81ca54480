#include "gui/app/Janela_Informacao.h"

#include "gui/cis/CIS_000.h"

#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {
QFont Fonte_Padrao(double pontos)
{
    QFont f;
    // Where MS Sans Serif is missing, a face of Arial's widths keeps the captions inside their labels.
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPointSizeF(pontos);
    f.setBold(true);
    return f;
}
} // namespace

Janela_Informacao::Janela_Informacao(const QString &titulo, double largura, double altura, double frame_esquerda,
                                     double frame_largura, double frame_altura, QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(titulo);
    setFont(Fonte_Padrao(8.25));
    QPalette cinza = palette();
    cinza.setColor(QPalette::Window, QColor(192, 192, 192));
    cinza.setColor(QPalette::Button, QColor(192, 192, 192));
    setPalette(cinza);
    setAutoFillBackground(true);
    setFixedSize(Twips_X(largura), Twips_Y(altura));
    Frame1 = new QGroupBox(this);
    Geometria_Twips(Frame1, frame_esquerda, 0, frame_largura, frame_altura);
}

void Janela_Informacao::Form_Load()
{
    Centraliza_Form(this);
}

QLabel *Janela_Informacao::Rotulo(const QString &texto, double esquerda, double topo, double largura, double altura,
                                  double pontos, const QColor &cor)
{
    auto *r = new QLabel(texto, Frame1);
    r->setWordWrap(true);
    r->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Geometria_Twips(r, esquerda, topo, largura, altura);
    if (pontos > 0)
        r->setFont(Fonte_Padrao(pontos));
    if (cor.isValid()) {
        QPalette p = r->palette();
        p.setColor(QPalette::WindowText, cor);
        r->setPalette(p);
    }
    return r;
}

QPushButton *Janela_Informacao::Botao_Ok(double esquerda, double topo, double largura, double altura)
{
    auto *b = new QPushButton(QStringLiteral("&Ok"), Frame1);
    Geometria_Twips(b, esquerda, topo, largura, altura);
    return b;
}

void Janela_Informacao::Descarregar()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}
