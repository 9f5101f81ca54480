#pragma once
// The shared module: program-wide state, the one message-box function, window placement.
#include "engine/transmit/Perguntas.h"

#include <QString>
#include <functional>
#include <string>

class QApplication;
class QFontMetrics;
class QWidget;

// Caption of every message box.
extern const QString Titulo_Aplicacao; // "ZELTA Net - Transmissão via Internet"

// The current receipt record (179 Windows-1252 bytes once built or loaded; empty at start).
extern std::string Dados_Recibo;
// Device name of the printer last walked to when printers are listed or switched.
extern QString Impressora_Atual;
// Device name of the application's current printer before a print switched away from it.
extern QString Impressora_Salva;

// ---- Message boxes -------------------------------------------------------------------------
// Shows a message box with the application title as caption. A carriage return (char 13) in the
// text starts a new line: the message texts break their lines that way.
Resposta Caixa_Mensagem(const QString &texto, Icone icone, Botoes botoes);

// Replaces the function that Caixa_Mensagem calls (tests script the answers); an empty
// function restores the real message box. Returns the one in place before.
using Mostrador_Mensagem = std::function<Resposta(const QString &texto, Icone, Botoes)>;
Mostrador_Mensagem Trocar_Mostrador_Mensagem(Mostrador_Mensagem novo);

// ---- Mouse pointer -------------------------------------------------------------------------
void Ponteiro_Ampulheta();
void Ponteiro_Padrao(); // back to the default, whatever was pushed before

// ---- Twips (1/1440 inch) and window placement ---------------------------------------------
int Twips_X(double twips); // to pixels, with the screen's logical DPI
int Twips_Y(double twips);
double Px_Para_Twips_X(int px);
double Px_Para_Twips_Y(int px);
// Places a control at a design position given in twips, relative to its container.
void Geometria_Twips(QWidget *controle, double esquerda, double topo, double largura, double altura);
// Gives a control the largest font size up to `maximo_pontos` (down to 6 points, by quarter points)
// at which `cabe` holds: design sizes were drawn for a narrower font than most systems have.
void Fonte_Que_Cabe(QWidget *controle, double maximo_pontos, const std::function<bool(const QFontMetrics &)> &cabe);

// The placement rule on plain numbers (twips), so it can be tested without a screen.
struct Retangulo_Twips { double esquerda, topo, largura, altura; };
struct Referencia_Centro {
    double largura, altura;          // reference area
    double desloc_esquerda, desloc_topo;
};
// Returns the new (left, top) of a window of the given size.
std::pair<double, double> Posicao_Centralizada(double largura_janela, double altura_janela,
                                              const Referencia_Centro &ref,
                                              double largura_tela, double altura_tela);

// Places a window when it loads: centred on the main window for MDI children, else on the screen.
void Centraliza_Form(QWidget *janela);

// The main window's items "&Transmitir Pela Internet", "&Reimprimir Recibo de Transmissão" and
// "&Sair": the reprint window disables them while it is open. The main window registers the handler.
void Definir_Acoes_Principal(std::function<void(bool habilitar)> f);
void Habilitar_Acoes_Principal(bool habilitar);

// Loads Qt's Brazilian Portuguese translation, so standard buttons read "Sim" / "Não" and the
// file dialogs speak Portuguese, and makes Brazilian Portuguese the default locale.
void Carregar_Traducao(QApplication &app);

// Before the application object exists: when the environment names no locale, dates in Qt's
// dialogs are written the Brazilian way.
void Preparar_Datas_Portugues();
