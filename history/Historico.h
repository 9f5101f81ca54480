#pragma once
// The history file "Zelta.ret": one receipt record per line, every byte shifted by +10
// (modulo 256, so any byte comes back exactly), lines ending in CR LF. Opened by its bare name
// in the current directory unless a test names another path.
#include <string>
#include <vector>

inline constexpr const char *Historico_Transmissoes = "Zelta.ret";
constexpr int Deslocamento_Historico = 10;
constexpr int Max_Entradas_Reimpressao = 200;

std::string Codificar_Linha(const std::string &registro); // shifted, without line end
std::string Decodificar_Linha(const std::string &linha);

// Appends one entry as one write, flushed and synced before it returns; throws Erro_Execucao.
// Safe from several threads and against other programs that take the file's advisory lock (flock).
void Gravar_Historico(const std::string &registro, const std::string &arquivo = Historico_Transmissoes);
bool Historico_Existe(const std::string &arquivo = Historico_Transmissoes);
// Whether an entry with this eight-character receipt code (plain, zero-padded) is in the file;
// false when the file does not exist; throws Erro_Execucao when it cannot be read.
bool Entrada_Presente(const std::string &codigo8, const std::string &arquivo = Historico_Transmissoes);

struct Leitura_Historico {
    long long total = 0;                 // N, the number of lines in the file
    std::vector<std::string> entradas;   // decoded, the newest min(N, 200), oldest first
};
// Reading for display; throws Erro_Execucao when the file cannot be read.
Leitura_Historico Ler_Historico(const std::string &arquivo = Historico_Transmissoes);
