#pragma once
// The block message: a 23-byte text header (type digit, file name right-aligned in 12, block
// number and block count in five digits) followed by the archive bytes of the block, unaltered.
#include <cstdint>
#include <string>
#include <string_view>

constexpr int Tamanho_Bloco = 1000;
constexpr int Tamanho_Cabecalho_Bloco = 23;

// Throws Erro_Execucao: invalid argument (5) for a name over 12 characters.
std::string Montar_Mensagem_Bloco(int tipo_arquivo, std::string_view nome_arquivo, int bloco, int total,
                                  std::string_view dados);

// Blocks needed for an archive of `tamanho` bytes; throws Erro_Execucao overflow (6) past 32767.
int16_t Calcular_Total_Blocos(int64_t tamanho);
// Bytes carried by block `bloco` (1-based) of an archive of `tamanho` bytes.
int Tamanho_Do_Bloco(int64_t tamanho, int bloco, int total);
// Integer part of 100 / total (0 with more than 100 blocks).
int16_t Calcular_Passo_Percentual(int total);
