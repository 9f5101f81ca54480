#include "engine/history/Busca_Historico.h"

#include "engine/platform/Campos_Fixos.h"

#include "engine/history/Historico.h"

#include <array>

namespace {
// Windows-1252 byte to its upper-case letter without accent; other bytes stay.
const std::array<unsigned char, 256> &Tabela_Dobra()
{
    static const std::array<unsigned char, 256> t = [] {
        std::array<unsigned char, 256> a{};
        for (int i = 0; i < 256; ++i)
            a[size_t(i)] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
        auto letra = [&](const char *bytes, char base) {
            for (const char *b = bytes; *b; ++b)
                a[static_cast<unsigned char>(*b)] = static_cast<unsigned char>(base);
        };
        letra("\xC0\xC1\xC2\xC3\xC4\xC5\xE0\xE1\xE2\xE3\xE4\xE5\xAA", 'A');
        letra("\xC7\xE7", 'C');
        letra("\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB", 'E');
        letra("\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF", 'I');
        letra("\xD1\xF1", 'N');
        letra("\xD2\xD3\xD4\xD5\xD6\xD8\xF2\xF3\xF4\xF5\xF6\xF8\xBA", 'O');
        letra("\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC", 'U');
        letra("\xDD\xFD\xFF\x9F", 'Y');
        letra("\x8A\x9A", 'S');
        letra("\x8E\x9E", 'Z');
        return a;
    }();
    return t;
}

void Juntar_Dobrado(std::string &destino, std::string_view origem)
{
    const auto &t = Tabela_Dobra();
    for (char c : origem)
        destino += static_cast<char>(t[static_cast<unsigned char>(c)]);
}

void Juntar_Digitos(std::string &destino, std::string_view origem)
{
    for (char c : origem)
        if (c >= '0' && c <= '9')
            destino += c;
}

// Campo without a copy: the entry's characters [inicio, inicio + tamanho), 1-based, cut at its end.
std::string_view Parte(std::string_view r, size_t inicio, size_t tamanho)
{
    if (inicio > r.size())
        return {};
    return r.substr(inicio - 1, tamanho);
}

constexpr char Separador = '\x01'; // between fields, so no match spans two of them
} // namespace

Consulta_Historico::Consulta_Historico(std::string_view texto)
{
    Juntar_Dobrado(texto_, Sem_Brancos(texto));
    bool so_numero = !texto_.empty();
    for (char c : texto_)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '/' || c == '-' || c == ' '))
            so_numero = false;
    if (so_numero)
        Juntar_Digitos(digitos_, texto_);
}

bool Consulta_Historico::Corresponde(std::string_view r) const
{
    if (Vazia())
        return true;
    const std::string_view codigo = Parte(r, 22, 8), id = Parte(r, 31, 14);
    const std::string_view mes = Parte(r, 130, 2), ano = Parte(r, 132, 4);
    campos_.clear();
    Juntar_Dobrado(campos_, codigo);
    campos_ += Separador;
    campos_.append(id);
    campos_ += Separador;
    Juntar_Dobrado(campos_, Parte(r, 45, 35));
    campos_ += Separador;
    Juntar_Dobrado(campos_, Sem_Brancos(Parte(r, 10, 12)));
    campos_ += Separador;
    campos_.append(mes).append("/").append(ano);
    if (campos_.find(texto_) != std::string::npos)
        return true;
    if (digitos_.empty())
        return false;
    numeros_.clear();
    Juntar_Digitos(numeros_, codigo);
    numeros_ += Separador;
    Juntar_Digitos(numeros_, id);
    numeros_ += Separador;
    Juntar_Digitos(numeros_, mes);
    Juntar_Digitos(numeros_, ano);
    return numeros_.find(digitos_) != std::string::npos;
}

bool Consulta_Historico::Corresponde_Armazenada(std::string_view linha) const
{
    if (Vazia())
        return true;
    // Only the fields up to the competence take part: decode just those.
    const std::string_view parte = linha.substr(0, std::min<size_t>(linha.size(), 135));
    registro_.assign(parte);
    for (char &c : registro_)
        c = static_cast<char>(static_cast<unsigned char>(c) - Deslocamento_Historico);
    return Corresponde(registro_);
}
