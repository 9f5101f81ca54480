#include "tools/declaracao/Conferencia.h"

#include "platform/Erro_Execucao.h"
#include "platform/Texto1252.h"
#include "tools/declaracao/Carimbo.h"
#include "tools/declaracao/Falha.h"

#include <cstdio>

namespace {
std::string Utf8(const std::string &bytes)
{
    return De_1252(bytes).toStdString();
}

std::string Json_Texto(const std::string &bytes)
{
    std::string s = "\"";
    for (char c : Utf8(bytes)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += c;
        } else if (u < 0x20 || u == 0x7F) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", u);
            s += b;
        } else {
            s += c;
        }
    }
    return s + '"';
}
} // namespace

Conferencia Conferir(const std::string &caminho)
{
    Exigir_Texto(caminho);
    Conferencia c;
    try {
        c.resultado = Verificar_Declaracao(caminho, c.dados);
    } catch (const Erro_Execucao &e) {
        throw Falha_Ferramenta(caminho + ": o programa pararia com erro não tratado " + e.what());
    }
    return c;
}

std::string Nome_Resultado(Resultado_Verificacao r)
{
    switch (r) {
    case Resultado_Verificacao::Aceito: return "aceito";
    case Resultado_Verificacao::Nao_Validado: return "15";
    case Resultado_Verificacao::Alterado: return "16";
    }
    return {};
}

std::string Relatorio_Texto(const Conferencia &c)
{
    const Dados_Declaracao &d = c.dados;
    std::string s;
    auto linha = [&s](const char *rotulo, const std::string &valor) { s += std::string(rotulo) + valor + "\n"; };
    auto campo = [&](const char *rotulo, const std::string &bytes) { linha(rotulo, "[" + Utf8(bytes) + "]"); };
    linha("Tipo do arquivo:       ", std::to_string(d.Tipo_Arquivo) + (d.Tipo_Arquivo == 2 ? " (acerto)" : " (movimento)"));
    campo("Mês de competência:    ", d.Mes_Competencia);
    campo("Ano de competência:    ", d.Ano_Competencia);
    campo("Tipo do identificador: ", d.Tipo_Identificador);
    campo("Identificador:         ", d.Identificador);
    campo("Razão social:          ", d.Razao_Social);
    campo("Endereço:              ", d.Endereco);
    campo("CEP:                   ", d.CEP);
    campo("UF:                    ", d.UF);
    const int32_t totais[] = {d.Total_1, d.Total_2, d.Total_3, d.Total_4, d.Total_5};
    for (int i = 0; i < 5; ++i)
        linha(("Total_" + std::to_string(i + 1) + ":               ").c_str(), std::to_string(totais[i]));
    linha("Valor de integridade:  ", std::to_string(d.Valor_Integridade));
    linha("Marca de validação:    ", std::to_string(d.Marca_Validacao));
    switch (c.resultado) {
    case Resultado_Verificacao::Aceito: linha("Resultado:             ", "aceito"); break;
    case Resultado_Verificacao::Nao_Validado: linha("Resultado:             recusado: ", Mensagem_15.toStdString()); break;
    case Resultado_Verificacao::Alterado: linha("Resultado:             recusado: ", Mensagem_16.toStdString()); break;
    }
    return s;
}

std::string Relatorio_Json(const Conferencia &c)
{
    const Dados_Declaracao &d = c.dados;
    auto numero = [](const char *chave, long long v) { return "\"" + std::string(chave) + "\":" + std::to_string(v); };
    auto texto = [](const char *chave, const std::string &v) { return "\"" + std::string(chave) + "\":" + Json_Texto(v); };
    return "{" + numero("Tipo_Arquivo", d.Tipo_Arquivo) + "," + texto("Mes_Competencia", d.Mes_Competencia) + ","
           + texto("Ano_Competencia", d.Ano_Competencia) + "," + texto("Tipo_Identificador", d.Tipo_Identificador) + ","
           + texto("Identificador", d.Identificador) + "," + texto("Razao_Social", d.Razao_Social) + ","
           + texto("Endereco", d.Endereco) + "," + texto("CEP", d.CEP) + "," + texto("UF", d.UF) + ","
           + numero("Total_1", d.Total_1) + "," + numero("Total_2", d.Total_2) + "," + numero("Total_3", d.Total_3) + ","
           + numero("Total_4", d.Total_4) + "," + numero("Total_5", d.Total_5) + ","
           + numero("Valor_Integridade", d.Valor_Integridade) + "," + numero("Marca_Validacao", d.Marca_Validacao) + ","
           + "\"resultado\":\"" + Nome_Resultado(c.resultado) + "\"}";
}
