#include "tools/declaracao/Registro.h"

#include <string>

namespace declaracao {

Registro::Registro(char tipo) : bytes_(Tamanho_Registro, ' ')
{
    bytes_[0] = tipo;
}

void Registro::Texto(std::size_t posicao, std::size_t tamanho, std::string_view texto)
{
    std::string campo(texto.substr(0, tamanho));
    campo.resize(tamanho, ' ');
    bytes_.replace(posicao - 1, tamanho, campo);
}

void Registro::Numero(std::size_t posicao, std::size_t tamanho, long long valor)
{
    std::string digitos = std::to_string(valor);
    if (digitos.size() < tamanho)
        digitos.insert(0, tamanho - digitos.size(), '0');
    Texto(posicao, tamanho, digitos.substr(digitos.size() - tamanho));
}

} // namespace declaracao
