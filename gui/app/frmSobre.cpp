#include "gui/app/frmSobre.h"

#include <QPushButton>

frmSobre::frmSobre(QWidget *parent)
    : Janela_Informacao(QStringLiteral("ZELTA Net - Sobre"), 5385, 2145, 120, 5175, 2055, parent)
{
    Label1 = Rotulo(QStringLiteral("ZELTA Net"), 240, 240, 2055, 435, 18, QColor(0, 0, 128));
    Label2 = Rotulo(QStringLiteral("Transmissor de arquivos do ZELTA pela rede Internet"), 240, 720, 4605, 195);
    Label3 = Rotulo(QStringLiteral("Versão 1.01"), 1680, 1080, 1245, 240, 9.75, QColor(0, 0, 255));
    Label4 = Rotulo(QStringLiteral("PROJETO ZELTA"), 1560, 1440, 1575, 195);
    Command1 = Botao_Ok(4080, 1560, 972, 372);
    connect(Command1, &QPushButton::clicked, this, &frmSobre::Command1_Click);
}

void frmSobre::Command1_Click()
{
    Descarregar();
}
