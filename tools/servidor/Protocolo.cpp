#include "tools/servidor/Protocolo.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace servidor {

namespace {

// A field of decimal digits only; -1 otherwise.
int Numero(std::string_view campo)
{
    int v = 0;
    for (char c : campo) {
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

uint32_t Le32(std::string_view b, size_t p)
{
    return uint32_t(uint8_t(b[p])) | uint32_t(uint8_t(b[p + 1])) << 8 |
           uint32_t(uint8_t(b[p + 2])) << 16 | uint32_t(uint8_t(b[p + 3])) << 24;
}

uint16_t Le16(std::string_view b, size_t p)
{
    return uint16_t(uint8_t(b[p]) | uint8_t(b[p + 1]) << 8);
}

} // namespace

std::optional<Cabecalho_Bloco> Ler_Cabecalho(std::string_view b, std::string &erro)
{
    if (b.size() < Tamanho_Cabecalho) {
        erro = "cabeçalho curto (" + std::to_string(b.size()) + " bytes)";
        return std::nullopt;
    }
    Cabecalho_Bloco c;
    c.tipo = b[0];
    if (c.tipo != '1' && c.tipo != '2') {
        erro = "tipo de arquivo inválido";
        return std::nullopt;
    }
    std::string_view nome = b.substr(1, 12);
    size_t inicio = nome.find_first_not_of(' ');
    const auto controle = [](char x) { return static_cast<unsigned char>(x) < 0x20 || x == 0x7F; };
    if (inicio == std::string_view::npos || nome.find(' ', inicio) != std::string_view::npos ||
        std::any_of(nome.begin(), nome.end(), controle)) {
        erro = "nome de arquivo inválido";
        return std::nullopt;
    }
    c.nome = std::string(nome.substr(inicio));
    c.bloco = Numero(b.substr(13, 5));
    c.total = Numero(b.substr(18, 5));
    if (c.bloco < 1 || c.total < 1 || c.total > Maximo_Blocos || c.bloco > c.total) {
        erro = "número de bloco inválido (" + std::string(b.substr(13, 10)) + ")";
        return std::nullopt;
    }
    return c;
}

std::string Montar_Cabecalho(const Cabecalho_Bloco &c)
{
    char numeros[16];
    std::snprintf(numeros, sizeof numeros, "%05d%05d", c.bloco, c.total);
    std::string nome = c.nome.size() < 12 ? std::string(12 - c.nome.size(), ' ') + c.nome : c.nome;
    return std::string(1, c.tipo) + nome + numeros;
}

long Entradas_Zip(std::string_view a, uint64_t tamanho)
{
    constexpr size_t Registro_Final = 22;
    if (a.size() < Registro_Final || tamanho < a.size())
        return -1;
    const uint64_t antes = tamanho - a.size(); // archive bytes before `a`
    // The record may carry a comment of up to 65535 bytes after it.
    const size_t menor = a.size() > Maior_Registro_Final ? a.size() - Maior_Registro_Final : 0;
    for (size_t p = a.size() - Registro_Final + 1; p-- > menor;) {
        if (Le32(a, p) != 0x06054b50u)
            continue;
        if (p + Registro_Final + Le16(a, p + 20) != a.size())
            continue;
        // The central directory must end right where the record begins.
        const uint64_t tamanho_dir = Le32(a, p + 12), inicio_dir = Le32(a, p + 16);
        if (inicio_dir + tamanho_dir == antes + p)
            return Le16(a, p + 10);
    }
    return -1;
}

bool Zip_Completo(std::string_view cauda, uint64_t tamanho)
{
    return Entradas_Zip(cauda, tamanho) >= 0;
}

bool Montagem::Aceitar(const Cabecalho_Bloco &c, std::string &erro)
{
    if (recebidos_ == 0) {
        if (c.bloco != 1) {
            erro = "o envio começou pelo bloco " + std::to_string(c.bloco);
            return false;
        }
        primeiro_ = c;
    } else if (c.tipo != primeiro_.tipo || c.nome != primeiro_.nome || c.total != primeiro_.total) {
        erro = "bloco de outro arquivo no meio do envio";
        return false;
    } else if (c.bloco != recebidos_ + 1) {
        erro = "bloco " + std::to_string(c.bloco) + " fora de ordem (esperado " +
               std::to_string(recebidos_ + 1) + ")";
        return false;
    }
    ++recebidos_;
    return true;
}

std::string Data_Hora_Recepcao(std::time_t quando)
{
    std::tm t{};
    localtime_r(&quando, &t);
    char b[32];
    std::snprintf(b, sizeof b, "%02d%02d%04d%02d%02d%02d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return b;
}

std::string Resposta_Recibo(char situacao, long codigo, const std::string &data_hora)
{
    char b[16];
    std::snprintf(b, sizeof b, "%08ld", codigo);
    return std::string(1, situacao) + b + data_hora;
}

std::string Resposta_Competencia(char situacao, const std::string &mmaaaa)
{
    return std::string(1, situacao) + mmaaaa;
}

} // namespace servidor
