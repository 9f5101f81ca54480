#include "gui/app/Area_Principal.h"

#include "gui/cis/CIS_000.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
constexpr double Unidades_L = 4794, Unidades_A = 3354, Unidades_Polegada = 576;

void Documento(QPainter &p)
{
    QPainterPath folha;
    folha.moveTo(300, 420);
    folha.lineTo(760, 420);
    folha.lineTo(920, 580);
    folha.lineTo(920, 1220);
    folha.lineTo(300, 1220);
    folha.closeSubpath();
    p.setPen(QPen(QColor(40, 40, 60), 8));
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(folha);
    p.setBrush(QColor(210, 210, 210));
    p.drawPolygon(QPolygonF({QPointF(760, 420), QPointF(760, 580), QPointF(920, 580)}));
    p.setPen(QPen(QColor(120, 120, 150), 14));
    for (int y = 660; y <= 1120; y += 92)
        p.drawLine(QPointF(380, y), QPointF(y == 660 ? 680 : 840, y));
}

void Seta(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 204, 0));
    for (int x = 1020; x < 1600; x += 150)
        p.drawRect(QRectF(x, 790, 100, 60));
    p.drawPolygon(QPolygonF({QPointF(1600, 700), QPointF(1780, 820), QPointF(1600, 940)}));
}

void Globo(QPainter &p)
{
    const QPointF centro(2330, 820);
    const double raio = 400;
    QRadialGradient mar(centro - QPointF(120, 120), raio * 1.3);
    mar.setColorAt(0, QColor(120, 190, 255));
    mar.setColorAt(1, QColor(0, 70, 160));
    p.setPen(QPen(QColor(230, 240, 255), 10));
    p.setBrush(mar);
    p.drawEllipse(centro, raio, raio);
    p.setBrush(Qt::NoBrush);
    for (double f : {0.35, 0.7})
        p.drawEllipse(centro, raio * f, raio);
    p.drawLine(centro - QPointF(0, raio), centro + QPointF(0, raio));
    for (double f : {-0.5, 0.0, 0.5}) {
        const double meia = raio * std::sqrt(1 - f * f);
        p.drawLine(centro + QPointF(-meia, f * raio), centro + QPointF(meia, f * raio));
    }
}

void Letreiro(QPainter &p)
{
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(250);
    p.setFont(f);
    p.setPen(QColor(0, 0, 40, 120));
    p.drawText(QPointF(318, 1588), QStringLiteral("ZELTA Net"));
    p.setPen(Qt::white);
    p.drawText(QPointF(300, 1570), QStringLiteral("ZELTA Net"));
    f.setBold(false);
    f.setPixelSize(110);
    p.setFont(f);
    p.setPen(QColor(255, 230, 150));
    p.drawText(QPointF(310, 1750), QStringLiteral("Transmissão via Internet"));
}
} // namespace

QPixmap Desenhar_Fundo_Principal(qreal razao_pixels)
{
    const QSize logico(Twips_X(Unidades_L * 1440 / Unidades_Polegada), Twips_Y(Unidades_A * 1440 / Unidades_Polegada));
    QPixmap imagem(logico * razao_pixels);
    imagem.setDevicePixelRatio(razao_pixels);
    QPainter p(&imagem);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(logico.width() / Unidades_L, logico.height() / Unidades_A);
    QLinearGradient ceu(0, 0, 0, Unidades_A);
    ceu.setColorAt(0, QColor(16, 56, 112));
    ceu.setColorAt(1, QColor(60, 130, 180));
    p.fillRect(QRectF(0, 0, Unidades_L, Unidades_A), ceu);
    Documento(p);
    Seta(p);
    Globo(p);
    Letreiro(p);
    return imagem;
}

Area_Principal::Area_Principal(QWidget *parent) : QMdiArea(parent)
{
}

void Area_Principal::paintEvent(QPaintEvent *evento)
{
    // Drawn at the first paint, not at construction: its large lettering loads a font of its own,
    // and the main window should not wait for that before it appears.
    if (fundo_.isNull())
        fundo_ = Desenhar_Fundo_Principal(devicePixelRatioF());
    QPainter p(viewport());
    p.fillRect(evento->rect(), background());
    p.drawPixmap(0, 0, fundo_);
}
