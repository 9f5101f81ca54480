#pragma once
// The settings of the reception server and the command line that gives them.
#include "tools/servidor/Cota.h"
#include "tools/servidor/Declaracao.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace servidor {

struct Opcoes {
    uint16_t porta = 2500;              // 0: any free port
    std::string escuta = "127.0.0.1";   // the address listened on
    std::string dados = "./zelta-servidor-dados";
    uint64_t cota_dados = Cota_Padrao;  // bytes the data folder may take
    uint64_t cota_envios = 0;           // of them, kept for uploads in progress; 0: a quarter
    Politica_Competencia competencia;
    int tempo_ocioso_ms = 30000;        // for each block header, and for each block's bytes
    int tempo_conexao_ms = 4 * 3600 * 1000; // a connection lasts this long at most
    int silencio_ultimo_ms = 1000;      // the last block of an archive of unforeseeable end
                                        // ends after this quiet time
    int maximo_clientes = 256;          // connections served at once
    int pausa_cliente_ms = 15000;       // the longest silence between blocks of a client that keeps
                                        // the protocol's pace; one silent longer may be dropped
                                        // for a new connection when all slots are taken
    uint64_t log_maximo = uint64_t(64) << 20; // a log file is emptied before it passes this

    // Misbehaviour for tests of the client.
    std::optional<std::string> resposta_fixa; // replied to the last block instead of judging it
    bool sem_resposta = false;                // the last block gets no reply; the connection stays open
                                              // until the client closes it (15 minutes at most)
    int resposta_partida_ms = -1;             // >= 0: the last reply goes in two pieces, this far apart
    int reset_apos = 0;                       // > 0: reset the connection after this block
    int fechar_apos = 0;                      // > 0: close the connection after this block
    int aceite_lento_ms = 0;                  // each connection waits this long before it is served

    bool ajuda = false; // --help: show Texto_Ajuda() and do nothing else
};

// Parses the arguments (without the program name); on a bad one returns empty with `erro` set.
std::optional<Opcoes> Ler_Opcoes(const std::vector<std::string> &args, std::string &erro);

// What --help shows (UTF-8).
std::string Texto_Ajuda();

} // namespace servidor
