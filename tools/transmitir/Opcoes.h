#pragma once
// The command line of zelta-transmitir.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

struct Opcoes_Transmitir {
    std::string servidor;              // empty: the program's own reception server
    uint16_t porta = 0;                // 0: the program's own port
    int paralelas = 1;
    int espera_min = 10;
    QString recibos;                   // folder for the PDF receipts; empty: none
    bool sim = false;                  // message 03 is not asked
    bool ajuda = false;
    std::vector<std::string> arquivos; // file-system encoding
    QString erro;                      // bad usage, in the user's words; empty when the line is good
};

Opcoes_Transmitir Ler_Opcoes(const QStringList &argumentos); // argumentos[0] is the program
QString Texto_Ajuda();
