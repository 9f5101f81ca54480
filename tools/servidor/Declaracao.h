#pragma once
// What the server checks in a delivered archive: that it unpacks to one declaration file,
// and that the declaration's reference month (competência) is one it receives.
#include <optional>
#include <string>

namespace servidor {

// The one file inside a zip archive held in memory; empty when the archive does not unpack,
// holds no file or more than one, or would unpack to more than `limite` bytes.
std::optional<std::string> Desempacotar(const std::string &arquivo_zip, std::string &erro,
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
