#pragma once
// The transmit window's receipt state after an accepted delivery, in the window's design twips.
// `J` is the window as the command sees it plus Definir_Topo and Definir_Altura_Janela (twips).
#include "engine/transmit/Janela_Transmissao.h"

template <class J>
void Aplicar_Estado_Recibo(J &janela, const QString &codigo)
{
    janela.Habilitar(Controle::cmdTransmitir, true);
    janela.Definir_Legenda(Controle::cmdTransmitir, QStringLiteral("Visualizar"));
    janela.Mostrar(Controle::txtPercentual, false);
    janela.Definir_Altura_Janela(5532);
    janela.Definir_Topo(Controle::cmdTransmitir, 4680);
    janela.Definir_Topo(Controle::cmdSair, 4680);
    janela.Definir_Topo(Controle::Text1, 3960);
    janela.Definir_Topo(Controle::Label1, 3960);
    janela.Mostrar(Controle::Label2, true);
    janela.Mostrar(Controle::Label3, true);
    janela.Definir_Legenda(Controle::Label3, QStringLiteral("Código do Recebimento: ") + codigo);
    janela.Mostrar(Controle::cmb_print, true);
    janela.Mostrar(Controle::Label13, true);
    janela.Mostrar(Controle::cmdImprimir, true);
}
