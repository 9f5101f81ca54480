#pragma once
// One 150-character record of a declaration file, built field by field (Windows-1252 bytes).
#include <string>
#include <string_view>

namespace declaracao {

constexpr std::size_t Tamanho_Registro = 150;

class Registro {
public:
    explicit Registro(char tipo);
    // Puts `texto` at 1-based `posicao`, padded with blanks (or cut) to `tamanho`.
    void Texto(std::size_t posicao, std::size_t tamanho, std::string_view texto);
    // Puts `valor` at 1-based `posicao` with leading zeros over `tamanho` digits.
    void Numero(std::size_t posicao, std::size_t tamanho, long long valor);
    const std::string &Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

} // namespace declaracao
