#include "tests/common/Declaracao_Teste.h"

#include "platform/Crc.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

namespace {
std::string Ajustar(std::string s, size_t n)
{
    s.resize(n, ' ');
    return s;
}

std::string Linha(char tipo, int seq, const std::string &pis = "12345678901")
{
    std::string l(150, ' ');
    l[0] = tipo;
    char num[16];
    std::snprintf(num, sizeof num, "%08d", seq);
    l.replace(1, 8, num);
    if (tipo == 'C')
        l.replace(21, 11, pis);
    // Some varied content so that archives of many lines do not compress to nothing.
    std::mt19937 g(static_cast<unsigned>(seq));
    for (int i = 40; i < 140; ++i)
        l[i] = static_cast<char>('A' + g() % 26);
    return l;
}

std::vector<std::string> Dividir(const std::string &t)
{
    std::vector<std::string> linhas;
    size_t inicio = 0;
    while (true) {
        const size_t fim = t.find("\r\n", inicio);
        if (fim == std::string::npos) {
            linhas.push_back(t.substr(inicio));
            return linhas;
        }
        linhas.push_back(t.substr(inicio, fim - inicio));
        inicio = fim + 2;
    }
}
} // namespace

int Marca_Para(const std::string &texto)
{
    std::vector<std::string> linhas = Dividir(texto);
    linhas.back().resize(std::min<size_t>(linhas.back().size(), 145));
    int32_t v = 0;
    for (const std::string &l : linhas)
        v = crc(l.data(), static_cast<int16_t>(l.size()), v);
    return v;
}

std::string Texto_Declaracao(const Modelo_Declaracao &m)
{
    std::string cab(150, ' ');
    cab.replace(0, 9, "0ZELTA001"); // a header carries none of the letters B, C, X first
    cab.replace(9, 2, Ajustar(m.mes, 2));
    cab.replace(11, 4, Ajustar(m.ano, 4));
    cab.replace(21, 1, Ajustar(m.tipo_identificador, 1));
    cab.replace(22, 14, Ajustar(m.identificador, 14));
    cab.replace(36, 35, Ajustar(m.razao_social, 35));
    cab.replace(71, 40, Ajustar(m.endereco, 40));
    cab.replace(111, 8, Ajustar(m.cep, 8));
    cab.replace(119, 2, Ajustar(m.uf, 2));
    std::vector<std::string> linhas{cab};
    int seq = 1;
    for (int i = 0; i < m.b; ++i)
        linhas.push_back(Linha('B', seq++));
    for (int i = 0; i < m.c + m.linhas_extra; ++i)
        linhas.push_back(Linha('C', seq++, i < m.c_zerados ? "00000000000" : "12345678901"));
    for (int i = 0; i < m.x; ++i)
        linhas.push_back(Linha('X', seq++));
    std::string texto;
    for (size_t i = 0; i < linhas.size(); ++i)
        texto += (i ? "\r\n" : "") + linhas[i];
    if (m.validar) {
        char marca[8];
        std::snprintf(marca, sizeof marca, "%05d", Marca_Para(texto));
        texto.replace(texto.size() - 5, 5, marca);
    }
    return texto;
}

std::string Gravar_Declaracao(const std::string &caminho, const std::string &texto)
{
    std::ofstream(caminho, std::ios::binary) << texto;
    return caminho;
}
