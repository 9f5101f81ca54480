#include "engine/transmit/Mensagem_Bloco.h"

#include "engine/intake/Resumo_Declaracao.h"
#include "engine/platform/Erro_Execucao.h"

#include <cerrno>
#include <cstdio>

std::string Montar_Mensagem_Bloco(int tipo_arquivo, std::string_view nome, int bloco, int total,
                                  std::string_view dados)
{
    if (nome.size() > Maior_Nome_Transmissivel)
        throw Erro_Execucao(Erro::Argumento_Invalido, Descricao_Sistema(EINVAL));
    char numeros[12];
    std::snprintf(numeros, sizeof numeros, "%05d%05d", bloco, total);
    std::string m;
    m.reserve(Tamanho_Cabecalho_Bloco + dados.size());
    m.push_back(static_cast<char>('0' + tipo_arquivo));
    m.append(Maior_Nome_Transmissivel - nome.size(), ' ');
    m.append(nome);
    m.append(numeros, 10);
    m.append(dados);
    return m;
}

int16_t Calcular_Total_Blocos(int64_t tamanho)
{
    const int64_t total = tamanho / Tamanho_Bloco + (tamanho % Tamanho_Bloco > 0 ? 1 : 0);
    if (total > 32767)
        throw Erro_Execucao(Erro::Estouro, Descricao_Sistema(EOVERFLOW));
    return static_cast<int16_t>(total);
}

int Tamanho_Do_Bloco(int64_t tamanho, int bloco, int total)
{
    if (bloco < total)
        return Tamanho_Bloco;
    return static_cast<int>(tamanho - static_cast<int64_t>(total - 1) * Tamanho_Bloco);
}

int16_t Calcular_Passo_Percentual(int total)
{
    if (total <= 0) // an archive is never empty; a zero count would be a division by zero
        throw Erro_Execucao(11, QStringLiteral("Divisão por zero"));
    return static_cast<int16_t>(100 / total);
}
