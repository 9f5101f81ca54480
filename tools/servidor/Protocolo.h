#pragma once
// The block protocol of the reception server: block header, end of the archive, reply texts.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace servidor {

constexpr size_t Tamanho_Cabecalho = 23;
constexpr size_t Tamanho_Bloco = 1000;
constexpr int Maximo_Blocos = 32767; // the client counts blocks in 16 bits

// "1" + "       ABC.MMM" (12, right-aligned) + "00002" + "00005".
struct Cabecalho_Bloco {
    char tipo = '1';   // '1' movement file, '2' adjustment file
    std::string nome;  // without the padding
    int bloco = 0;     // 1-based
    int total = 0;
};

// The header in the first 23 bytes of `bytes`; empty with `erro` filled when it is malformed.
std::optional<Cabecalho_Bloco> Ler_Cabecalho(std::string_view bytes, std::string &erro);
std::string Montar_Cabecalho(const Cabecalho_Bloco &c);

// True when `arquivo` ends exactly with a zip end-of-central-directory record that matches
// the central directory before it: the last block is then complete.
bool Zip_Completo(std::string_view arquivo);

// Collects the blocks of one upload in order.
class Montagem {
public:
    // Checks a header against the blocks received so far; false with `erro` filled when it
    // does not continue them (wrong number, other file, other total).
    bool Aceitar(const Cabecalho_Bloco &c, std::string &erro);
    void Acrescentar(std::string_view dados) { arquivo_.append(dados); }
    const std::string &Arquivo() const { return arquivo_; }
    const Cabecalho_Bloco &Primeiro() const { return primeiro_; }
    int Recebidos() const { return recebidos_; }
    bool Ultimo() const { return recebidos_ > 0 && recebidos_ == primeiro_.total; }

private:
    Cabecalho_Bloco primeiro_;
    int recebidos_ = 0;
    std::string arquivo_;
};

// Replies to the last block.
std::string Data_Hora_Recepcao(std::time_t quando);           // DDMMYYYYhhmmss, local time
std::string Resposta_Recibo(char situacao, long codigo, const std::string &data_hora);
std::string Resposta_Competencia(char situacao, const std::string &mmaaaa); // "5" / "6" + MMYYYY
constexpr const char *Resposta_Intermediaria = "OK";
constexpr const char *Resposta_Descompactacao = "8";

} // namespace servidor
