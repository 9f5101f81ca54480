#pragma once
// What the server checks in a delivered archive: that it unpacks to one declaration file,
// and that the declaration's reference month (competência) is one it receives.
#include <optional>
#include <string>

namespace servidor {

class Arquivo_Temporario;

struct Declaracao_Desempacotada {
    std::string resumo;  // hex SHA-256 of its bytes
    std::string inicio;  // its first bytes, enough for the fields of the first line
    bool gravada = true; // false: the quota or the disk had no room for it in `destino`
};

// Unpacks the one file of the zip archive `arquivo_zip` into `destino`, a little at a time.
// Empty with `erro` set when the archive does not unpack, does not hold exactly one entry,
// the entry is no regular file with bytes in it (a folder, a link, an empty file) or it would
// pass `limite` bytes. When the data folder has no room for it, it is read to the end all the
// same (for its digest), and comes back not `gravada`, with `erro` set.
std::optional<Declaracao_Desempacotada> Desempacotar(const Arquivo_Temporario &arquivo_zip,
                                                     Arquivo_Temporario &destino, std::string &erro,
                                                     size_t limite = 64u << 20);

// Characters 10-11 (month) and 12-15 (year) of the declaration's first line, as MMYYYY;
// empty when the line is too short or they are not digits.
std::string Competencia_Declaracao(const std::string &declaracao);

// Which reference months are received.
//  - `aceita` empty: every competência.
//  - otherwise (MMYYYY): a movement file ('1') must be of that month; an older one gets "6"
//    when `anterior_como_acerto` is set, "5" otherwise; a later one gets "5". An adjustment
//    file ('2') may be of that month or any earlier one; a later one gets "5".
//  - a declaration whose competência cannot be read is refused with "5" when `aceita` is set.
struct Politica_Competencia {
    std::string aceita;
    bool anterior_como_acerto = false;
};

// The refusing reply ("5MMYYYY" / "6MMYYYY"), or empty when the declaration is received.
std::string Julgar_Competencia(const Politica_Competencia &p, char tipo, const std::string &declaracao);

// True for six digits with a month from 01 to 12.
bool Competencia_Valida(const std::string &mmaaaa);

} // namespace servidor
