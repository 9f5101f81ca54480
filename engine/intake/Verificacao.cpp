#include "engine/intake/Verificacao.h"

#include "engine/platform/Campos_Fixos.h"

#include "engine/platform/Leitor_Linhas.h"
#include "engine/platform/Crc.h"
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

void Contar(std::string_view linha, Dados_Declaracao &d)
{
    const char tipo = linha.empty() ? '\0' : linha.front();
    if (d.Tipo_Arquivo == 2) {
        if (tipo == 'X')
            Somar(d.Total_1, 1);
        return;
    }
    if (tipo == 'B') {
        Somar(d.Total_1, 1);
    } else if (tipo == 'C') {
        Somar(d.Total_2, 1);
        if (Pis_Zerado(linha))
            Somar(d.Total_5, 1);
    } else if (tipo == 'X') {
        Somar(d.Total_4, 1);
    }
}
} // namespace

std::string Caminho_Declaracao(const std::string &pasta, const std::string &nome)
{
    if (!pasta.empty() && pasta.back() == '/')
        return pasta + nome;
    return pasta + '/' + nome;
}

int16_t Verifica_TpArquivo(const std::string &Arquivo)
{
    Leitor_Linhas leitor(Arquivo);
    Linha_Lida linha;
    if (!leitor.Proxima(linha))
        throw Erro_Execucao(Erro::Leitura_Apos_Fim, QStringLiteral("Entrada após o final do arquivo"));
    bool tem_x = false;
    while (leitor.Proxima(linha)) {
        if (linha.texto.empty())
            continue;
        // One "C" line settles the answer; the check pass reads the rest of the file anyway,
        // so a read failure further on still surfaces there.
        if (linha.texto.front() == 'C')
            return 1;
        if (linha.texto.front() == 'X')
            tem_x = true;
    }
    return tem_x ? 2 : 1;
}

Resultado_Verificacao Verificar_Declaracao(const std::string &caminho, Dados_Declaracao &d)
{
    d.Tipo_Arquivo = Verifica_TpArquivo(caminho);
    d.Valor_Integridade = 0;
    d.Marca_Validacao = 0;
    d.Total_1 = d.Total_2 = d.Total_3 = d.Total_4 = d.Total_5 = 0;
    int32_t contador = 0;

    Leitor_Linhas leitor(caminho);
    Linha_Lida lida;
    while (leitor.Proxima(lida)) {
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
        Contar(linha, d);
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
