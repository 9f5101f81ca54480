#include "engine/intake/Verificacao.h"

#include "engine/platform/Campos_Fixos.h"
#include "engine/platform/Arquivos.h"
#include "engine/platform/Crc.h"
#include "engine/platform/Leitor_Linhas.h"
#include "engine/platform/Erro_Execucao.h"

#include <cmath>
#include <limits>
#include <string_view>

const QString Mensagem_01 = QStringLiteral("01 - Você deve selecionar um arquivo antes de executar esta opção!");
const QString Mensagem_15 = QStringLiteral("15 - O arquivo escolhido para transmissão ainda não foi validado pelo PGV!");
const QString Mensagem_16 = QStringLiteral(
    "16 - O arquivo escolhido para transmissão foi alterado, nao conferindo com original gerado pelo "
    "Aplicativo do Zelta Informatizado (PGV).");

namespace {
constexpr std::size_t Fim_Dados = 145;       // the last line's bytes that count
constexpr std::size_t Tamanho_Marca = 5;     // positions 146-150
constexpr std::size_t Maior_Linha = 32767;   // the checksum's length is 16-bit

Erro_Execucao Estouro()
{
    return Erro_Execucao(Erro::Estouro, QStringLiteral("Estouro"));
}

void Somar(int32_t &total, int32_t parcela)
{
    if (__builtin_add_overflow(total, parcela, &total))
        throw Estouro();
}

bool Branco(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Reads a number the lenient way: blanks are skipped wherever they stand, an optional sign
// leads, digits with at most one decimal point follow, and reading stops at the first
// character that cannot continue the number. Nothing readable gives 0. The value is rounded
// half to even to 32 bits.
int32_t Valor_Numerico(std::string_view texto)
{
    double valor = 0, escala = 1;
    bool negativo = false, decimal = false, inicio = true;
    for (char c : texto) {
        if (Branco(c))
            continue;
        if (inicio && (c == '+' || c == '-')) {
            negativo = c == '-';
        } else if (c == '.' && !decimal) {
            decimal = true;
        } else if (c >= '0' && c <= '9') {
            if (decimal) {
                escala /= 10;
                valor += (c - '0') * escala;
            } else {
                valor = valor * 10 + (c - '0');
            }
        } else {
            break;
        }
        inicio = false;
    }
    const double arredondado = std::nearbyint(negativo ? -valor : valor);
    if (arredondado < std::numeric_limits<int32_t>::min() || arredondado > std::numeric_limits<int32_t>::max())
        throw Estouro();
    return static_cast<int32_t>(arredondado);
}

bool Pis_Zerado(std::string_view linha)
{
    if (linha.size() < 32)
        return false; // a shorter cut never equals eleven characters
    const std::string_view pis = linha.substr(21, 11);
    return pis == "           " || pis == "00000000000";
}

void Cortar_Cabecalho(std::string_view linha, Dados_Declaracao &d)
{
    d.Mes_Competencia = Campo(linha, 10, 2);
    d.Ano_Competencia = Campo(linha, 12, 4);
    d.Tipo_Identificador = Campo(linha, 22, 1);
    d.Identificador = Campo(linha, 23, 14);
    d.Razao_Social = Campo(linha, 37, 35);
    d.Endereco = Campo(linha, 72, 40);
    d.CEP = Campo(linha, 112, 8);
    d.UF = Campo(linha, 120, 2);
}

// Record counts of both file types, kept together so the type can be settled after one read.
struct Contagem {
    int32_t b = 0, c = 0, c_pis_zerado = 0, x = 0;
    bool x_depois_da_primeira = false, c_depois_da_primeira = false;

    void operator()(std::string_view linha, bool primeira)
    {
        if (linha.empty())
            return;
        switch (linha.front()) {
        case 'B':
            Somar(b, 1);
            break;
        case 'C':
            Somar(c, 1);
            if (Pis_Zerado(linha))
                Somar(c_pis_zerado, 1);
            c_depois_da_primeira |= !primeira;
            break;
        case 'X':
            Somar(x, 1);
            x_depois_da_primeira |= !primeira;
            break;
        default:
            break;
        }
    }
    int16_t Tipo() const { return x_depois_da_primeira && !c_depois_da_primeira ? 2 : 1; }
};
} // namespace

std::string Caminho_Declaracao(const std::string &pasta, const std::string &nome)
{
    if (!pasta.empty() && pasta.back() == '/')
        return pasta + nome;
    return pasta + '/' + nome;
}

Resultado_Verificacao Verificar_Declaracao(const std::string &caminho, Dados_Declaracao &d)
{
    return Verificar_Declaracao(Abrir_Arquivo_Comum(caminho), d);
}

Resultado_Verificacao Verificar_Declaracao(const sistema::Descritor &aberto, Dados_Declaracao &d,
                                           const std::atomic<bool> *parar)
{
    d.Valor_Integridade = 0;
    d.Marca_Validacao = 0;
    d.Total_1 = d.Total_2 = d.Total_3 = d.Total_4 = d.Total_5 = 0;
    int32_t contador = 0;
    Contagem conta;

    Leitor_Linhas leitor(aberto);
    Linha_Lida lida;
    while (leitor.Proxima(lida)) {
        if (parar && parar->load(std::memory_order_relaxed))
            throw Leitura_Interrompida();
        Somar(contador, 1);
        std::string_view linha = lida.texto;
        if (lida.ultima) {
            if (linha.size() > Fim_Dados)
                d.Marca_Validacao = Valor_Numerico(linha.substr(Fim_Dados, Tamanho_Marca));
            linha = linha.substr(0, std::min(linha.size(), Fim_Dados));
        } else if (lida.tamanho > Maior_Linha) {
            throw Estouro();
        }
        d.Valor_Integridade = crc(linha.data(), static_cast<int16_t>(linha.size()), d.Valor_Integridade);
        if (contador == 1)
            Cortar_Cabecalho(linha, d);
        conta(linha, contador == 1);
    }
    if (contador == 0)
        throw Erro_Execucao(Erro::Leitura_Apos_Fim, QStringLiteral("Entrada após o final do arquivo"));
    d.Tipo_Arquivo = conta.Tipo();
    if (d.Tipo_Arquivo == 2) {
        d.Total_1 = conta.x;
    } else {
        d.Total_1 = conta.b;
        d.Total_2 = conta.c;
        d.Total_4 = conta.x;
        d.Total_5 = conta.c_pis_zerado;
    }

    if (d.Marca_Validacao == 0)
        return Resultado_Verificacao::Nao_Validado;
    if (d.Valor_Integridade != d.Marca_Validacao)
        return Resultado_Verificacao::Alterado;
    if (d.Tipo_Arquivo == 1) {
        int32_t total_3 = 1;
        Somar(total_3, d.Total_1);
        Somar(total_3, d.Total_2);
        Somar(total_3, d.Total_4);
        d.Total_3 = total_3;
    } else {
        d.Total_2 = d.Total_1;
        Somar(d.Total_2, 1);
    }
    return Resultado_Verificacao::Aceito;
}
