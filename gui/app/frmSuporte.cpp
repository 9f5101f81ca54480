#include "gui/app/frmSuporte.h"

#include <QPushButton>

frmSuporte::frmSuporte(QWidget *parent)
    : Janela_Informacao(QStringLiteral("ZELTA Net - Suporte Técnico"), 5520, 2865, 115, 5292, 2775, parent)
{
    Label1 = Rotulo(QStringLiteral("ZELTA Net"), 240, 240, 4575, 495, 18, QColor(0, 0, 128));
    Label2 = Rotulo(QStringLiteral("Transmissor de arquivos do ZELTA pela rede Internet"), 240, 720, 4695, 255);
    Label3 = Rotulo(QStringLiteral("Versão 1.01"), 1800, 1200, 2535, 495, 9.75, QColor(0, 0, 255));
    Label4 = Rotulo(QStringLiteral("Suporte Técnico : ") + QLatin1String(Endereco_Suporte)
                        + QStringLiteral("  PROJETO ZELTA"),
                    240, 1560, 4815, 495);
    Command2 = Botao_Ok(4200, 2280, 990, 375);
    connect(Command2, &QPushButton::clicked, this, &frmSuporte::Command2_Click);
}

void frmSuporte::Command2_Click()
{
    Descarregar();
}
