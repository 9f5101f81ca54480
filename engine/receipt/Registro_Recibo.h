#pragma once
// The receipt record: one 179-character line of Windows-1252 bytes with fields at fixed
// 1-based positions, and the decoding rules that the printed receipt and the preview share.
#include "engine/platform/Campos_Fixos.h"
#include "engine/receipt/Dados_Declaracao.h"

#include <cstdint>
#include <string>
#include <string_view>

constexpr int Tamanho_Registro = 179;

// What the record is built from: the server's reply and what the checks took from the declaration.
struct Dados_Para_Recibo {
    std::string resposta;     // the reply to the last block, as received (any length)
    std::string nome_arquivo; // the declaration's file name as listed (no folder)
    Dados_Declaracao declaracao;
};

// Builds the record; always exactly 179 bytes, every field in its place (values cut or padded,
// counters above 999999 as "******", control bytes below 32 and 127 as blanks).
std::string Montar_Recibo(const Dados_Para_Recibo &d);

// The receipt code of a reply: the numeric value of characters 2-9 in eight digits with leading
// zeros ("ABCDEFGH" reads as 0: "00000000").
std::string Codigo_Recebimento_De(std::string_view resposta);


// Named fields of a record.
namespace Recibo {
std::string Data_Transmissao(std::string_view r);   // 1-8
std::string Tipo_Arquivo(std::string_view r);       // 9
std::string Nome_Arquivo(std::string_view r);       // 10-21
std::string Codigo_Recebimento(std::string_view r); // 22-29
std::string Tipo_Identificador(std::string_view r); // 30
std::string Identificador(std::string_view r);      // 31-44
std::string Razao_Social(std::string_view r);       // 45-79
std::string Endereco(std::string_view r);           // 80-119
std::string CEP(std::string_view r);                // 120-127
std::string UF(std::string_view r);                 // 128-129
std::string Mes_Competencia(std::string_view r);    // 130-131
std::string Ano_Competencia(std::string_view r);    // 132-135
std::string Total(std::string_view r, int n);       // n = 1..5: 136-141, 142-147, ...
std::string Hora_Transmissao(std::string_view r);   // 166-171
std::string Codigo_Recebido(std::string_view r);    // 172-179
} // namespace Recibo

// The "@" mask rule: placeholders filled right to left, leftover places at the left are blanks.
std::string Aplicar_Mascara(std::string_view valor, std::string_view mascara);
// Digits written with at least `digitos` digits, leading zeros.
std::string Preencher_Zeros(std::string_view valor, int digitos);
// A decimal number read the lenient way: blanks skipped, reading stops at the first character
// that cannot continue it, nothing readable is 0.
long long Valor_Numerico(std::string_view texto);

std::string Data_Para_Exibir(std::string_view registro);  // dd/mm/yyyy
std::string Hora_Para_Exibir(std::string_view registro);  // hh:mm:ss
// "Março de " etc. for months 1-12 of the record, empty for any other value.
std::string Texto_Mes(std::string_view registro);
// The same for a month number: "Dezembro de " for 12, empty outside 1-12.
std::string Nome_Mes(long long mes);
// CNPJ "@@.@@@.@@@/@@@@-@@" or CEI (characters 3-14) "@@.@@@.@@@.@@@-@" of the identifier given.
std::string Identificador_Para_Exibir(std::string_view tipo, std::string_view identificador);
std::string CEP_Para_Exibir(std::string_view registro);   // "@@.@@@-@@@"
std::string Contador_Para_Exibir(std::string_view seis);  // "@@@@@@"
