#pragma once
// Checks of a declaration file before it is sent: file type, validation mark, integrity value,
// header fields and record counters. Reads the file streaming, as bytes.
#include "engine/receipt/Dados_Declaracao.h"

#include <QString>
#include <cstdint>
#include <string>

enum class Resultado_Verificacao { Aceito, Nao_Validado /* 15 */, Alterado /* 16 */ };

extern const QString Mensagem_01; // "01 - Você deve selecionar ..."
extern const QString Mensagem_15;
extern const QString Mensagem_16;

// The declaration path: the folder, a separator unless it already ends with one, then the name.
std::string Caminho_Declaracao(const std::string &pasta, const std::string &nome);

// 2 when an "X" line and no "C" line follows the first line, else 1. Throws Erro_Execucao
// when the file cannot be read or is empty.
int16_t Verifica_TpArquivo(const std::string &Arquivo);

// The whole check pass: fills `d` (type included) and says whether the file is accepted.
// Throws Erro_Execucao for run-time failures (unreadable, empty, a line over 32767 bytes,
// counter overflow), which are not refusals.
Resultado_Verificacao Verificar_Declaracao(const std::string &caminho, Dados_Declaracao &d);
