#pragma once
// Checks of a declaration file before it is sent: file type, validation mark, integrity value,
// header fields and record counters, in one streaming read of the file, as bytes.
#include "engine/platform/Descritor.h"
#include "engine/receipt/Dados_Declaracao.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <string>

enum class Resultado_Verificacao { Aceito, Nao_Validado /* 15 */, Alterado /* 16 */ };

extern const QString Mensagem_01; // "01 - Você deve selecionar ..."
extern const QString Mensagem_15;
extern const QString Mensagem_16;

// The declaration path: the folder, a separator unless it already ends with one, then the name.
std::string Caminho_Declaracao(const std::string &pasta, const std::string &nome);

// The whole check pass: fills `d` and says whether the file is accepted. The type is 2 when an
// "X" line and no "C" line follows the first line, else 1. Throws Erro_Execucao for run-time
// failures (unreadable, empty, a line over 32767 bytes, counter overflow), which are not refusals.
Resultado_Verificacao Verificar_Declaracao(const std::string &caminho, Dados_Declaracao &d);
// The same pass over a file the caller opened, read from its current position to its end.
// When `parar` becomes true the pass ends early by throwing Leitura_Interrompida.
Resultado_Verificacao Verificar_Declaracao(const sistema::Descritor &aberto, Dados_Declaracao &d,
                                           const std::atomic<bool> *parar = nullptr);
struct Leitura_Interrompida {};
