#include "engine/intake/Resumo_Declaracao.h"

#include "engine/intake/Verificacao.h"
#include "engine/platform/Arquivos.h"
#include "engine/receipt/Registro_Recibo.h"

#include <cstdio>

namespace {
int Numero(const std::string &texto)
{
    const long long v = Valor_Numerico(texto);
    return v < 0 || v > 99999 ? 0 : static_cast<int>(v);
}
} // namespace

Resumo_Declaracao Ler_Resumo(const std::string &caminho, const std::atomic<bool> *parar)
{
    Dados_Declaracao d;
    const Resultado_Verificacao r = Verificar_Declaracao(Abrir_Arquivo_Comum(caminho), d, parar);
    Resumo_Declaracao s;
    s.identificador = Identificador_Para_Exibir(d.Tipo_Identificador, d.Identificador);
    s.razao_social = d.Razao_Social;
    while (!s.razao_social.empty() && s.razao_social.back() == ' ')
        s.razao_social.pop_back();
    s.mes = Numero(d.Mes_Competencia);
    s.ano = Numero(d.Ano_Competencia);
    s.tipo_arquivo = d.Tipo_Arquivo;
    // The pass counts these before it judges the mark, so they hold for every outcome.
    s.movimentos = d.Tipo_Arquivo == 2 ? d.Total_1 : d.Total_2;
    s.validacao = r == Resultado_Verificacao::Aceito        ? Estado_Validacao::Validado
                  : r == Resultado_Verificacao::Nao_Validado ? Estado_Validacao::Nao_Validado
                                                             : Estado_Validacao::Alterado;
    return s;
}

std::string Texto_Competencia(const Resumo_Declaracao &r)
{
    // The receipt's month names.
    char mes[8];
    std::snprintf(mes, sizeof mes, "%02d", (r.mes % 100 + 100) % 100);
    const std::string nome = Nome_Mes(r.mes);
    const std::string ano = std::to_string(r.ano);
    return nome.empty() ? std::string(mes) + "/" + ano : nome + ano;
}

std::string Texto_Tipo(const Resumo_Declaracao &r)
{
    return r.tipo_arquivo == 2 ? "ACERTO" : "ZELTA";
}

std::string Aviso_Nome(const std::string &nome)
{
    if (nome.size() <= Maior_Nome_Transmissivel)
        return {};
    static_assert(Maior_Nome_Transmissivel == 12, "the notice names the limit");
    return "nome com mais de 12 caracteres";
}

std::string Texto_Validacao(Estado_Validacao e)
{
    switch (e) {
    case Estado_Validacao::Validado: return "validado";
    case Estado_Validacao::Nao_Validado: return "n\xE3o validado pelo PGV";
    case Estado_Validacao::Alterado: return "alterado ap\xF3s a valida\xE7\xE3o";
    }
    return {};
}
