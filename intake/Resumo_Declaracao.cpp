#include "intake/Resumo_Declaracao.h"

#include "platform/Erro_Execucao.h"

namespace {
std::string Aparado(const std::string &s)
{
    const size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i, s.find_last_not_of(' ') - i + 1);
}
} // namespace

Resumo_Declaracao Ler_Resumo(const std::string &caminho)
{
    Resumo_Declaracao r;
    Dados_Declaracao d;
    try {
        r.validacao = Verificar_Declaracao(caminho, d);
    } catch (const Erro_Execucao &) {
        return r;
    }
    r.legivel = true;
    r.identificador = Aparado(d.Identificador);
    r.razao_social = Aparado(d.Razao_Social);
    r.competencia = d.Mes_Competencia + "/" + d.Ano_Competencia;
    r.tipo = d.Tipo_Arquivo;
    r.movimentos = d.Tipo_Arquivo == 2 ? d.Total_1 : d.Total_2;
    return r;
}
