#pragma once
// What a list of declaration files shows about each one, read without sending anything.
#include "intake/Verificacao.h"

#include <string>

struct Resumo_Declaracao {
    bool legivel = false;            // false: the file could not be read (the fields are empty)
    std::string identificador;       // Windows-1252 bytes, trimmed
    std::string razao_social;
    std::string competencia;         // "MM/AAAA"
    int16_t tipo = 0;                // 1 movement file, 2 adjustment file
    long long movimentos = 0;        // "C" records of a movement file, "X" records of an adjustment
    Resultado_Verificacao validacao = Resultado_Verificacao::Nao_Validado;
};

Resumo_Declaracao Ler_Resumo(const std::string &caminho);
