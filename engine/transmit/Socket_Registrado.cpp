#include "engine/transmit/Socket_Registrado.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "engine/transmit/Mensagem_Bloco.h"
#include "engine/transmit/Registro_Comunicacao.h"

#include <algorithm>

QString Socket_Registrado::Decorrido() const
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio_).count();
    return QStringLiteral("[+%1 s]").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 3);
}

void Socket_Registrado::Abrir_Conexao()
{
    inicio_ = std::chrono::steady_clock::now();
    registro_.Anotar(QStringLiteral("Conectando a %1:%2 (%3)").arg(De_1252(Host_Remoto)).arg(Porta_Remota).arg(via_));
    try {
        Socket_Encadeado::Abrir_Conexao();
    } catch (const Erro_Execucao &e) {
        registro_.Anotar(QStringLiteral("%1 Falha na conexão: %2 - %3").arg(Decorrido()).arg(e.numero).arg(e.descricao));
        throw;
    }
    registro_.Anotar(QStringLiteral("%1 Conectado").arg(Decorrido()));
}

int Socket_Registrado::Enviar_Dados(const std::string &buffer, int tamanho)
{
    // The block header and the size of what follows it: the archive bytes themselves say nothing.
    const size_t cabecalho = std::min<size_t>(static_cast<size_t>(std::max(tamanho, 0)), Tamanho_Cabecalho_Bloco);
    const QString texto = QStringLiteral("%1 Enviado: %2 + %3 bytes")
                              .arg(Decorrido(), Escapar_Controle(std::string_view(buffer.data(), cabecalho)))
                              .arg(tamanho - static_cast<int>(cabecalho));
    try {
        const int n = Socket_Encadeado::Enviar_Dados(buffer, tamanho);
        registro_.Anotar(texto);
        return n;
    } catch (const Erro_Execucao &e) {
        registro_.Anotar(texto + QStringLiteral(" - falhou: %1 - %2").arg(e.numero).arg(e.descricao));
        throw;
    }
}

std::string Socket_Registrado::Receber_Dados(int n)
{
    std::string dados = Socket_Encadeado::Receber_Dados(n);
    if (!dados.empty())
        registro_.Anotar(QStringLiteral("%1 Recebido: %2").arg(Decorrido(), Escapar_Controle(dados)));
    return dados;
}

void Socket_Registrado::Fechar_Conexao()
{
    if (Conectado())
        registro_.Anotar(QStringLiteral("%1 Conexão encerrada").arg(Decorrido()));
    Socket_Encadeado::Fechar_Conexao();
}
