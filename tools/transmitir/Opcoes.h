#pragma once
// The command line of zelta-transmitir.
#include "engine/platform/Proxy.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Opcoes_Transmitir {
    std::string servidor;              // empty: the program's own reception server
    uint16_t porta = 0;                // 0: the program's own port
    std::optional<Proxy> proxy;        // --proxy: instead of the user's connection settings
    int paralelas = 1;
    int espera_min = 10;
    QString recibos;                   // folder for the PDF receipts; empty: none
    bool sim = false;                  // message 03 is not asked
    bool verificar = false;            // send again the uncertain deliveries of the folder's ledger
    bool ajuda = false;
    std::vector<std::string> arquivos; // file-system encoding
    QString erro;                      // bad usage, in the user's words; empty when the line is good
};

// Exit statuses, the worst first: a receipt missing from the history needs the user now.
enum Saida : int {
    Saida_Sucesso = 0,          // every file accepted or delivered before, every receipt written
    Saida_Nao_Transmitido = 1,  // a file was refused, failed or not started (or no confirmation)
    Saida_Uso = 2,              // bad command line
    Saida_Fora_Do_Historico = 3, // a file was delivered, but its receipt is not in "Zelta.ret"
    Saida_Recibos_Pdf = 4,      // deliveries done, but a PDF receipt could not be written
    Saida_Incerta = 5,          // a file went whole but no judged reply came: --verificar (wins over 1)
};

// `argumentos` are the command line's own bytes, argumentos[0] the program. A file is kept as its
// bytes, so a name that is not valid in the local encoding is still opened.
Opcoes_Transmitir Ler_Opcoes(const std::vector<std::string> &argumentos);
QString Texto_Ajuda();
