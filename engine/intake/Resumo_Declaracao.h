#pragma once
// What a declaration file holds, in a few words for the person about to deliver it: whose file
// it is, of which month, of which kind, how many movements, and whether its validation mark holds.
// Read with the same streaming pass as the checks before a delivery; no windows.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// The block header holds a file name of up to this many characters (Windows-1252 bytes).
constexpr std::size_t Maior_Nome_Transmissivel = 12;

enum class Estado_Validacao {
    Validado,      // the mark matches the file
    Nao_Validado,  // no mark on the last line
    Alterado       // a mark that the file no longer matches
};

struct Resumo_Declaracao {
    std::string identificador;  // the CNPJ or CEI through its mask ("11.222.333/0001-81")
    std::string razao_social;   // Windows-1252 bytes as in the file, trailing blanks removed
    int mes = 0;                // competence month as read (0 when not a number)
    int ano = 0;                // competence year as read
    int tipo_arquivo = 1;       // 1 movement file (ZELTA), 2 adjustment file (ACERTO)
    int32_t movimentos = 0;     // "C" lines of a movement file, "X" lines of an adjustment file
    Estado_Validacao validacao = Estado_Validacao::Nao_Validado;
};

// Reads the file at `caminho` (file-system bytes). Throws Erro_Execucao when it cannot be read,
// exactly as the checks before a delivery would, and Leitura_Interrompida once `parar` is true.
Resumo_Declaracao Ler_Resumo(const std::string &caminho, const std::atomic<bool> *parar = nullptr);

// Windows-1252 texts for showing a summary.
std::string Texto_Competencia(const Resumo_Declaracao &r);  // "Dezembro de 2026", or "13/2026"
std::string Texto_Tipo(const Resumo_Declaracao &r);         // "ZELTA" or "ACERTO"
std::string Texto_Validacao(Estado_Validacao e);            // "validado", ...
// Empty when a file of this name (Windows-1252 bytes, as listed) can be delivered, else why not.
std::string Aviso_Nome(const std::string &nome);
