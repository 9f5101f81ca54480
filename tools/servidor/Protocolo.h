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

// The header in the first 23 bytes of `bytes`; empty with `erro` filled when it is malformed
// (a name with blanks inside, control bytes or none at all among them).
std::optional<Cabecalho_Bloco> Ler_Cabecalho(std::string_view bytes, std::string &erro);
std::string Montar_Cabecalho(const Cabecalho_Bloco &c);

// The end record of a zip archive with the longest comment it may carry.
constexpr size_t Maior_Registro_Final = 22 + 65535;

// True when the archive ends exactly with a zip end-of-central-directory record that matches
// the central directory before it. `cauda` is the archive's end (its last
// Maior_Registro_Final bytes are enough), `tamanho` the whole archive's size.
bool Zip_Completo(std::string_view cauda, uint64_t tamanho);
inline bool Zip_Completo(std::string_view arquivo) { return Zip_Completo(arquivo, arquivo.size()); }

// The number of entries that such an end record gives, or -1 when the archive has none.
long Entradas_Zip(std::string_view cauda, uint64_t tamanho);

// Follows the blocks of one upload, which must come in order.
class Montagem {
public:
    // Checks a header against the blocks received so far; false with `erro` filled when it
    // does not continue them (wrong number, other file, other total).
    bool Aceitar(const Cabecalho_Bloco &c, std::string &erro);
    const Cabecalho_Bloco &Primeiro() const { return primeiro_; }
    int Recebidos() const { return recebidos_; }
    bool Ultimo() const { return recebidos_ > 0 && recebidos_ == primeiro_.total; }

private:
    Cabecalho_Bloco primeiro_;
    int recebidos_ = 0;
};

// Replies to the last block.
std::string Data_Hora_Recepcao(std::time_t quando);           // DDMMYYYYhhmmss, local time
std::string Resposta_Recibo(char situacao, long codigo, const std::string &data_hora);
std::string Resposta_Competencia(char situacao, const std::string &mmaaaa); // "5" / "6" + MMYYYY
constexpr const char *Resposta_Intermediaria = "OK";
constexpr const char *Resposta_Descompactacao = "8";

} // namespace servidor
