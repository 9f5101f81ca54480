#pragma once
// The reprint window's search over history entries. A text matches an entry when it appears in
// its receipt code, identifier, company name, file name or competence (MM/YYYY), ignoring case
// and accents; a text of digits and punctuation also matches by its digits alone, so an
// identifier or competence is found with or without its punctuation. Bytes are Windows-1252.
#include <string>
#include <string_view>

class Consulta_Historico {
public:
    explicit Consulta_Historico(std::string_view texto);

    // Blank text: every entry matches.
    bool Vazia() const { return texto_.empty(); }
    // `registro` is a decoded receipt record.
    bool Corresponde(std::string_view registro) const;
    // `linha` is a line as stored in the history file (shifted).
    bool Corresponde_Armazenada(std::string_view linha) const;

private:
    std::string texto_;   // upper case, accents removed, blanks at both ends cut
    std::string digitos_; // its digits, when it holds nothing else but punctuation and blanks
    // Reused for each entry: the searched fields, and their digits.
    mutable std::string campos_, numeros_, registro_;
};
