#pragma once
// Writes plausible declaration files: a header line, then "B" (establishment), "C" (movement)
// and "X" (adjustment) records of 150 characters, each followed by CR LF.
#include <iosfwd>
#include <string>

namespace declaracao {

struct Opcoes_Geracao {
    std::string saida;                 // file to write
    int tipo = 1;                      // 1 movement file, 2 adjustment file
    std::string competencia;           // MMYYYY; empty: the current month
    // Header fields as Windows-1252 bytes.
    std::string tipo_identificador = "1";
    std::string identificador = "11222333000181";
    std::string razao_social = "EMPRESA EXEMPLO LTDA";
    std::string endereco = "RUA DAS FLORES, 100 - CENTRO";
    std::string cep = "01001000";
    std::string uf = "SP";
    long long estabelecimentos = 1;    // "B" records
    long long movimentos = 3;          // "C" records
    long long pis_brancos = 0;         // of the "C" records: PIS/PASEP left blank
    long long pis_zerados = 0;         // of the "C" records: PIS/PASEP all zeros
    long long acertos = 0;             // "X" records
    bool validar = true;               // stamp the validation mark on the last line
};

// The competence month in force: `o.competencia` or the current month, as MMYYYY.
std::string Competencia_Efetiva(const Opcoes_Geracao &o);

// Writes the records to `saida` (no mark).
void Escrever_Declaracao(const Opcoes_Geracao &o, std::ostream &saida);

// Writes `o.saida` and, unless told not to, stamps its mark. Throws Falha_Ferramenta.
void Gerar_Arquivo(const Opcoes_Geracao &o);

} // namespace declaracao
