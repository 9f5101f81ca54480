#pragma once
// What the transmit command asks of whoever drives it: the controls it changes, its typed
// questions and notices, its progress, and the receipt state. The transmit window answers through
// the message box and lays itself out; a batch answers by policy.
#include "engine/transmit/Mensagens.h"
#include "engine/transmit/Perguntas.h"

#include <QString>
#include <string>

class Socketout;
class Zip;

enum class Controle {
    cmdTransmitir, cmdSair, filList, dirList, txtTipoArq, drvList,
    txtPercentual, Text1, Label1, Label2, Label3, Label13, cmb_print, cmdImprimir
};

// The file chosen for a press: the name as listed travels in the block header and the record;
// the file is opened by the name as the file system spells it (a listed name need not be its
// decoding), in its folder (file-system encoding).
struct Arquivo_Escolhido {
    QString nome;
    std::string nome_sistema;
    std::string pasta;
};

class Janela_Transmissao {
public:
    virtual ~Janela_Transmissao() = default;

    virtual void Foco_Lista_Arquivos() = 0;
    // True once an accepted delivery has put the window in its receipt state: the button previews.
    virtual bool Em_Estado_Recibo() = 0;

    // Controls.
    virtual QString Legenda(Controle c) = 0;
    virtual void Definir_Legenda(Controle c, const QString &texto) = 0;
    virtual void Habilitar(Controle c, bool sim) = 0;
    virtual void Mostrar(Controle c, bool sim) = 0;

    // Questions (Yes/No), each with the text to show, and notices (OK) with their icons.
    virtual Resposta Perguntar(Pergunta pergunta, const QString &texto) = 0;
    virtual void Avisar(const Aviso &aviso) = 0;
    virtual void Ponteiro_Espera(bool sim) = 0; // the hourglass, or back to the default

    // The receipt record built from an accepted or already-delivered reply.
    virtual void Guardar_Recibo(const std::string &registro) = 0;
    // The receipt record could not be appended to the history (`descricao` says why); the window
    // tells the user to print or preview it now.
    virtual void Historico_Nao_Gravado(const QString &descricao)
    {
        Avisar({Mensagem::Historico_Nao_Gravado(descricao), Icone::Exclamacao, 0});
    }
    // After an accepted delivery: preview, print and close are offered; `codigo` has eight digits.
    virtual void Entrar_Estado_Recibo(const QString &codigo) = 0;

    // Block `bloco` of `total` has gone; the progress text follows.
    virtual void Bloco_Enviado(int bloco, int total) { static_cast<void>(bloco), static_cast<void>(total); }
    // The last block has gone and its reply is awaited.
    virtual void Aguardando_Resposta()
    {
        Definir_Legenda(Controle::txtPercentual, QStringLiteral("Aguardando resposta do servidor..."));
    }
    // Asked before each block: true ends the transmission as the user's abandonment would.
    virtual bool Interromper() { return false; }
    // Asked after each pause while a reply is awaited: true asks message 05 now instead of after
    // the usual twenty pauses (a batch with a limit on the wait).
    virtual bool Espera_Esgotada() { return false; }

    // Components the window carries.
    virtual Socketout &Socket() = 0;
    virtual Zip &Compactador() = 0;

    // Other windows and the event loop.
    virtual void Mostrar_Visualizar() = 0;   // the receipt preview, modal
    // The reprint window, modal, with the entry of this receipt code (eight characters) picked.
    virtual void Mostrar_Reimpressao(const std::string &codigo) = 0;
    virtual void Processar_Eventos() = 0;
    virtual void Fechar() = 0;               // unloads the window (closing its connection)
};
