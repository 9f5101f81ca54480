#pragma once
// Scripted message boxes for tests: records every box and answers from a queue.
#include "gui/cis/CIS_000.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

struct Mensagem_Vista {
    QString texto;
    Icone icone;
    Botoes botoes;
};

class RoteiroMensagens {
public:
    RoteiroMensagens();   // takes over Caixa_Mensagem
    ~RoteiroMensagens();  // gives it back
    RoteiroMensagens(const RoteiroMensagens &) = delete;
    RoteiroMensagens &operator=(const RoteiroMensagens &) = delete;

    // Queues the answer for the next Yes/No box; with none queued, Yes/No boxes are answered "Não".
    void responder(Resposta r) { respostas_.push_back(r); }
    // Runs when a box is shown (after it is recorded), e.g. to check the state at that moment.
    void ao_mostrar(std::function<void(const Mensagem_Vista &)> f) { ao_mostrar_ = std::move(f); }

    const std::vector<Mensagem_Vista> &vistas() const { return vistas_; }
    QStringList textos() const;
    // Forgets the boxes shown and the answers not used.
    void limpar()
    {
        vistas_.clear();
        respostas_.clear();
    }

private:
    std::vector<Mensagem_Vista> vistas_;
    std::deque<Resposta> respostas_;
    std::function<void(const Mensagem_Vista &)> ao_mostrar_;
    Mostrador_Mensagem anterior_;
};
