#pragma once
// What the checks take from a declaration file, and the receipt record carries: the file type,
// the header fields of its first line exactly as cut (no trimming), and the record counters.
#include <cstdint>
#include <string>

struct Dados_Declaracao {
    int16_t Tipo_Arquivo = 0; // 1 movement file, 2 adjustment file
    std::string Mes_Competencia, Ano_Competencia, Tipo_Identificador, Identificador;
    std::string Razao_Social, Endereco, CEP, UF;
    int32_t Total_1 = 0, Total_2 = 0, Total_3 = 0, Total_4 = 0, Total_5 = 0;
    int32_t Valor_Integridade = 0;
    int32_t Marca_Validacao = 0;
};
