#include "tools/declaracao/Conferencia.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "tools/declaracao/Carimbo.h"
#include "tools/declaracao/Falha.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace declaracao {

namespace {
std::string Utf8(const std::string &bytes)
{
    return De_1252(bytes).toStdString();
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
    const QJsonObject o{
        {QStringLiteral("Tipo_Arquivo"), d.Tipo_Arquivo},
        {QStringLiteral("Mes_Competencia"), De_1252(d.Mes_Competencia)},
        {QStringLiteral("Ano_Competencia"), De_1252(d.Ano_Competencia)},
        {QStringLiteral("Tipo_Identificador"), De_1252(d.Tipo_Identificador)},
        {QStringLiteral("Identificador"), De_1252(d.Identificador)},
        {QStringLiteral("Razao_Social"), De_1252(d.Razao_Social)},
        {QStringLiteral("Endereco"), De_1252(d.Endereco)},
        {QStringLiteral("CEP"), De_1252(d.CEP)},
        {QStringLiteral("UF"), De_1252(d.UF)},
        {QStringLiteral("Total_1"), d.Total_1},
        {QStringLiteral("Total_2"), d.Total_2},
        {QStringLiteral("Total_3"), d.Total_3},
        {QStringLiteral("Total_4"), d.Total_4},
        {QStringLiteral("Total_5"), d.Total_5},
        {QStringLiteral("Valor_Integridade"), d.Valor_Integridade},
        {QStringLiteral("Marca_Validacao"), d.Marca_Validacao},
        {QStringLiteral("resultado"), QString::fromStdString(Nome_Resultado(c.resultado))},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace declaracao
