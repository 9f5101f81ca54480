#pragma once
// The history file "Zelta.ret": one receipt record per line, every byte shifted by +10
// (modulo 256, so any byte comes back exactly), lines ending in CR LF. Opened by its bare name
// in the current directory unless a test names another path.
#include <cstddef>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr const char *Historico_Transmissoes = "Zelta.ret";
constexpr int Deslocamento_Historico = 10;
constexpr int Max_Entradas_Reimpressao = 200;
// Reading stops after this many bytes (some six million entries): a file that is no history
// (a device, one endless line) cannot hold the window for long.
constexpr std::uint64_t Limite_Leitura_Historico = std::uint64_t(1) << 30;
// Of a line only this many bytes are kept (an entry has 179); the rest is skipped.
constexpr std::size_t Guardado_Por_Linha = 256;

std::string Codificar_Linha(const std::string &registro); // shifted, without line end
std::string Decodificar_Linha(const std::string &linha);

// How long an append waits for another program's lock on the file before it fails.
constexpr int Espera_Trava_Historico_ms = 30000;

// Appends one entry as one write, flushed and synced before it returns; throws Erro_Execucao.
// Safe from several threads and against other programs that take the file's advisory lock (flock).
void Gravar_Historico(const std::string &registro, const std::string &arquivo = Historico_Transmissoes);
// Which entry already in the file stands for the record: one with its receipt code, or the same
// delivery (every field but the file name equal: reception date and time, code, declaration).
enum class Mesma_Entrada { Codigo, Entrega };
// Gravar_Historico unless such an entry is already in the file: the look and the write are one
// step under the same locks, so deliveries of one file running at once (threads or programs)
// record it once. True when the entry was appended; throws Erro_Execucao.
bool Gravar_Historico_Se_Ausente(const std::string &registro, Mesma_Entrada mesma,
                                 const std::string &arquivo = Historico_Transmissoes);
bool Historico_Existe(const std::string &arquivo = Historico_Transmissoes);
// Whether an entry with this eight-character receipt code (plain, zero-padded) is in the file;
// false when the file does not exist; throws Erro_Execucao when it cannot be read.
bool Entrada_Presente(const std::string &codigo8, const std::string &arquivo = Historico_Transmissoes);

// The first entry with this eight-character receipt code, decoded; empty when there is none or
// the file does not exist; throws Erro_Execucao when it cannot be read.
std::string Entrada_Com_Codigo(const std::string &codigo8, const std::string &arquivo = Historico_Transmissoes);

// Hands every entry of the file, decoded, to `entrada` in the file's order until it returns
// false; nothing when the file does not exist; throws Erro_Execucao when it cannot be read.
void Percorrer_Historico(const std::function<bool(const std::string &registro)> &entrada,
                         const std::string &arquivo = Historico_Transmissoes);

struct Leitura_Historico {
    long long total = 0;                 // N, the number of lines in the file
    long long encontradas = 0;           // how many of them the search matched (all without one)
    std::vector<std::string> entradas;   // decoded, the newest min(encontradas, 200), oldest first
};
// Reading for display; throws Erro_Execucao when the file cannot be read.
Leitura_Historico Ler_Historico(const std::string &arquivo = Historico_Transmissoes);
// The same over the entries that match `texto` (Windows-1252; see Consulta_Historico), searching
// every entry of the file; an empty or blank text matches all. Once `parar` is true the reading
// ends early with what it found so far (a newer search makes this one moot).
Leitura_Historico Procurar_Historico(const std::string &texto, const std::string &arquivo = Historico_Transmissoes,
                                     const std::atomic<bool> *parar = nullptr);
