#include "tools/declaracao/Gerador.h"

#include "tools/declaracao/Carimbo.h"
#include "tools/declaracao/Falha.h"
#include "tools/declaracao/Registro.h"

#include <QDate>

#include <array>
#include <cstdio>
#include <fstream>
#include <ostream>

namespace declaracao {

namespace {
constexpr std::size_t Posicao_Sequencia = 137; // 137-145: the record's sequence number

// Worker names in Windows-1252 ("\xC3" is Ã, "\xC7" Ç, "\xC9" É).
constexpr std::array<const char *, 6> Nomes = {
    "JO\xC3O DA SILVA", "MARIA APARECIDA SOUZA", "JOS\xC9 CARLOS PEREIRA",
    "ANA L\xDA" "CIA FERREIRA", "CONCEI\xC7\xC3O RODRIGUES", "PEDRO HENRIQUE ALVES"};

// An 11-digit PIS/PASEP number with a correct check digit.
std::string Pis(long long indice)
{
    std::string base = std::to_string(1200000000LL + (indice * 7919) % 800000000LL);
    static constexpr int pesos[10] = {3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    int soma = 0;
    for (int i = 0; i < 10; ++i)
        soma += (base[i] - '0') * pesos[i];
    const int resto = 11 - soma % 11;
    return base + static_cast<char>('0' + (resto >= 10 ? 0 : resto));
}

std::string Data(long long indice)
{
    const int dia = 1 + static_cast<int>(indice % 28), mes = 1 + static_cast<int>(indice % 12);
    const int ano = 1960 + static_cast<int>(indice % 40);
    char b[16];
    std::snprintf(b, sizeof b, "%02d%02d%04d", dia, mes, ano);
    return b;
}

void Escrever(std::ostream &saida, Registro &r, long long &sequencia)
{
    r.Numero(Posicao_Sequencia, 9, ++sequencia);
    saida << r.Bytes() << "\r\n";
}

// Movement and adjustment records share their layout up to the competence of the adjustment.
Registro Trabalhador(char tipo, const Opcoes_Geracao &o, long long i, const std::string &pis)
{
    Registro r(tipo);
    r.Texto(2, 1, o.tipo_identificador);
    r.Texto(3, 14, o.identificador);
    r.Texto(22, 11, pis);
    r.Texto(33, 40, Nomes[static_cast<std::size_t>(i) % Nomes.size()]);
    r.Texto(73, 8, Data(i));
    r.Texto(81, 1, i % 2 ? "2" : "1");
    r.Numero(82, 2, 10 + i % 3 * 10); // kind of movement
    r.Numero(84, 8, 141200 + (i % 50) * 3100);
    return r;
}
} // namespace

std::string Competencia_Efetiva(const Opcoes_Geracao &o)
{
    if (!o.competencia.empty())
        return o.competencia;
    return QDate::currentDate().toString(QStringLiteral("MMyyyy")).toStdString();
}

void Escrever_Declaracao(const Opcoes_Geracao &o, std::ostream &saida)
{
    const std::string competencia = Competencia_Efetiva(o);
    long long sequencia = 0;

    Registro cabecalho('A');
    cabecalho.Texto(2, 8, QDate::currentDate().toString(QStringLiteral("ddMMyyyy")).toStdString());
    cabecalho.Texto(10, 2, competencia.substr(0, 2));
    cabecalho.Texto(12, 4, competencia.substr(2, 4));
    cabecalho.Texto(22, 1, o.tipo_identificador);
    cabecalho.Texto(23, 14, o.identificador);
    cabecalho.Texto(37, 35, o.razao_social);
    cabecalho.Texto(72, 40, o.endereco);
    cabecalho.Texto(112, 8, o.cep);
    cabecalho.Texto(120, 2, o.uf);
    Escrever(saida, cabecalho, sequencia);

    for (long long i = 0; i < o.estabelecimentos; ++i) {
        Registro b('B');
        b.Texto(2, 1, o.tipo_identificador);
        b.Texto(3, 14, o.identificador);
        b.Texto(17, 35, o.razao_social);
        b.Texto(52, 40, o.endereco);
        b.Texto(92, 8, o.cep);
        b.Texto(100, 2, o.uf);
        b.Numero(102, 5, 10 + i);
        Escrever(saida, b, sequencia);
    }
    for (long long i = 0; i < o.movimentos; ++i) {
        std::string pis = Pis(i);
        if (i < o.pis_brancos)
            pis = std::string(11, ' ');
        else if (i < o.pis_brancos + o.pis_zerados)
            pis = std::string(11, '0');
        Registro c = Trabalhador('C', o, i, pis);
        Escrever(saida, c, sequencia);
    }
    for (long long i = 0; i < o.acertos; ++i) {
        Registro x = Trabalhador('X', o, i, Pis(i + 500));
        x.Texto(92, 6, competencia);
        Escrever(saida, x, sequencia);
    }
}

void Gerar_Arquivo(const Opcoes_Geracao &o)
{
    {
        std::ofstream saida(o.saida, std::ios::binary | std::ios::trunc);
        if (!saida)
            throw Falha_Ferramenta("não foi possível criar " + o.saida);
        Escrever_Declaracao(o, saida);
        saida.close();
        if (!saida)
            throw Falha_Ferramenta("falha ao gravar " + o.saida);
    }
    if (o.validar)
        Carimbar(o.saida);
}

} // namespace declaracao
