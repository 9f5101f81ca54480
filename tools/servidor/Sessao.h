#pragma once
// Serving one client connection: reading its blocks within their deadlines, answering each,
// and judging the complete archive.
#include "tools/servidor/Opcoes.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace servidor {

class Registro;

// What the server sees of a connection when it must choose one to drop.
struct Progresso {
    using Relogio = std::chrono::steady_clock;
    enum Fase : int { Sem_Cabecalho, Enviando, Julgando };
    std::atomic<int> fase{Sem_Cabecalho}; // Sem_Cabecalho until a first header is complete

    // A whole block has arrived, or the last reply has gone.
    void Avancou() { avanco_ = Relogio::now().time_since_epoch().count(); }
    // When it last did (at first, when the connection came).
    Relogio::time_point Ultimo_Avanco() const { return Relogio::time_point(Relogio::duration(avanco_.load())); }

private:
    std::atomic<Relogio::rep> avanco_{Relogio::now().time_since_epoch().count()};
};

enum class Fim_Sessao { Fechar, Resetar };

// Serves the connection `fd` until the client leaves, misbehaves or misses a deadline:
//  - each block header must be complete within o.tempo_ocioso_ms of the connection's start
//    or of the reply to the block before, however its bytes trickle in;
//  - each block's archive bytes within o.tempo_ocioso_ms of its header;
//  - the whole connection ends after o.tempo_conexao_ms.
// Does not close `fd`; the caller does, with a reset when told so. `par` names the client in
// the log; `progresso`, when given, is kept up to date.
Fim_Sessao Atender(int fd, const Opcoes &o, Registro &r, const std::string &par, Progresso *progresso = nullptr);

} // namespace servidor
