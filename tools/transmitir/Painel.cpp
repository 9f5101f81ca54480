#include "tools/transmitir/Painel.h"

#include "engine/platform/Campos_Fixos.h"
#include "engine/platform/Console.h"
#include "engine/intake/Padrao_Arquivos.h"
#include "engine/intake/Resumo_Declaracao.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "engine/transmit/Mensagens.h"

#include <algorithm>

namespace {
// A field of the declaration as the table shows it: control bytes (a NUL included) as blanks.
QString Aparado(const std::string &bytes1252)
{
    return De_1252(Sem_Controles(bytes1252)).trimmed();
}

QString Coluna(const QString &texto, qsizetype largura)
{
    return texto.left(largura).leftJustified(largura);
}
} // namespace

Painel::Painel(std::FILE *saida, bool terminal, const std::vector<std::string> &arquivos)
    : saida_(saida), terminal_(terminal)
{
    if (const int colunas = terminal_ ? Largura_Terminal(saida_) : 0; colunas > 20)
        largura_ = colunas - 1;
    for (const std::string &a : arquivos)
        arquivos_.push_back({Nome_Mostrado(QByteArray::fromStdString(a.substr(a.find_last_of('/') + 1))), a});
}

void Painel::Escrever(const QString &texto, std::FILE *para)
{
    // By its size: a NUL that got this far must not cut the output short.
    const QByteArray bytes = texto.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), para ? para : saida_);
}

QString Painel::Barra(const Andamento &a) const
{
    constexpr int Largura_Barra = 30;
    const QString nome = Coluna(a.nome, 12);
    if (a.total == 0)
        return nome + QStringLiteral(" conectando...");
    const int cheios = a.bloco * Largura_Barra / a.total;
    QString linha = nome + QStringLiteral(" [") + QString(cheios, QChar('#')) + QString(Largura_Barra - cheios, QChar('.'))
                    + QStringLiteral("] %1/%2 blocos").arg(a.bloco).arg(a.total);
    if (a.aguardando)
        linha += QStringLiteral(", aguardando resposta do servidor");
    return linha.left(largura_);
}

void Painel::Redesenhar()
{
    if (!terminal_)
        return;
    int n = 0;
    for (const Andamento &a : arquivos_)
        if (a.ativo) {
            Escrever(Barra(a) + QChar('\n'));
            ++n;
        }
    Escrever(QStringLiteral("%1 de %2 arquivos concluídos\n").arg(concluidos_).arg(arquivos_.size()).left(largura_));
    desenhadas_ = n + 1;
    std::fflush(saida_);
}

void Painel::Apagar_Barras()
{
    if (terminal_ && desenhadas_ > 0)
        Escrever(QStringLiteral("\033[%1A\r\033[J").arg(desenhadas_));
    desenhadas_ = 0;
}

void Painel::Atualizar()
{
    Apagar_Barras();
    Redesenhar();
}

void Painel::Aviso(const QString &texto)
{
    if (terminal_) {
        Linha(texto);
        return;
    }
    Escrever(texto + QChar('\n'), stderr);
}

void Painel::Linha(const QString &texto)
{
    const std::lock_guard<std::recursive_mutex> vez(vez_);
    Apagar_Barras();
    Escrever(texto + QChar('\n'));
    Redesenhar();
    std::fflush(saida_);
}

void Painel::Evento(const Evento_Entrega &e)
{
    const std::lock_guard<std::recursive_mutex> vez(vez_);
    Andamento &a = arquivos_.at(e.indice);
    const QString prefixo = a.nome + QStringLiteral(": ");
    switch (e.tipo) {
    case Evento_Entrega::Inicio:
        a.ativo = true;
        if (!terminal_)
            Linha(prefixo + QStringLiteral("início"));
        break;
    case Evento_Entrega::Bloco:
        a.bloco = e.bloco;
        a.total = e.total;
        if (!terminal_)
            Linha(prefixo + QStringLiteral("bloco %1 de %2 enviado").arg(e.bloco).arg(e.total));
        break;
    case Evento_Entrega::Aguardando:
        a.aguardando = true;
        if (!terminal_)
            Linha(prefixo + QStringLiteral("aguardando resposta do servidor"));
        break;
    case Evento_Entrega::Mensagem: {
        QString texto = prefixo + Em_Uma_Linha(e.texto);
        if (e.resposta != Resposta::Ok)
            texto += e.resposta == Resposta::Sim ? QStringLiteral(" [Sim]") : QStringLiteral(" [Não]");
        Linha(texto);
        return;
    }
    case Evento_Entrega::Fim:
        a.ativo = false;
        ++concluidos_;
        // A refusal's message was just printed as its one line; the summary gives the outcome.
        if (e.resultado->situacao == Situacao_Entrega::Recusada)
            break;
        Linha(prefixo + Texto_Resultado(*e.resultado));
        return;
    }
    Atualizar();
}

std::pair<QString, QString> Painel::Empresa_E_Competencia(size_t i, const Resultado_Entrega &r) const
{
    const Dados_Declaracao &d = r.declaracao;
    if (r.situacao != Situacao_Entrega::Na_Fila)
        return {Aparado(d.Razao_Social),
                d.Mes_Competencia.empty() ? QString() : Aparado(d.Mes_Competencia) + QChar('/') + Aparado(d.Ano_Competencia)};
    try {
        const Resumo_Declaracao lido = Ler_Resumo(arquivos_.at(i).caminho);
        return {Aparado(lido.razao_social),
                QStringLiteral("%1/%2").arg(lido.mes, 2, 10, QChar('0')).arg(lido.ano, 4, 10, QChar('0'))};
    } catch (const Erro_Execucao &) {
        return {}; // unreadable: its result says why it did not go
    }
}

void Painel::Resumo(const std::vector<Resultado_Entrega> &resultados)
{
    const std::lock_guard<std::recursive_mutex> vez(vez_);
    Apagar_Barras();
    std::vector<QString> textos;
    qsizetype maior = 0;
    for (const Resultado_Entrega &r : resultados)
        maior = std::max(maior, textos.emplace_back(Texto_Resultado(r)).size());
    // The company takes what the line leaves once the other columns and the longest result fit.
    const qsizetype empresa = std::clamp<qsizetype>(largura_ - (12 + 1 + 1 + 11 + 1) - maior, 12, 35);
    QString t = Coluna(QStringLiteral("Arquivo"), 12) + QChar(' ') + Coluna(QStringLiteral("Empresa"), empresa) + QChar(' ')
                + Coluna(QStringLiteral("Competência"), 11) + QStringLiteral(" Resultado\n");
    for (size_t i = 0; i < resultados.size(); ++i) {
        const auto [nome_empresa, competencia] = Empresa_E_Competencia(i, resultados[i]);
        t += Coluna(arquivos_.at(i).nome, 12) + QChar(' ') + Coluna(nome_empresa, empresa) + QChar(' ')
             + Coluna(competencia, 11) + QChar(' ') + textos[i] + QChar('\n');
    }
    Escrever(t);
    std::fflush(saida_);
}
