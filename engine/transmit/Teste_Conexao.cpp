#include "engine/transmit/Teste_Conexao.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Proxy.h"
#include "engine/platform/Texto1252.h"
#include "engine/transmit/Falhas.h"

#include <chrono>

namespace {
int64_t Ms_Desde(std::chrono::steady_clock::time_point desde)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - desde).count();
}
QString Segundos(int64_t ms)
{
    return QStringLiteral("%1 s").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 3);
}
} // namespace

Resultado_Teste Testar_Conexao(const Ajustes_Conexao &a, Socketout &direto)
{
    Resultado_Teste r;
    const QString servidor = De_1252(a.servidor) + QLatin1Char(':') + QString::number(a.porta);
    const auto inicio = std::chrono::steady_clock::now();
    try {
        Socket_Via_Proxy via(direto, a.proxy);
        via.Host_Remoto = a.servidor;
        via.Porta_Remota = a.porta;
        via.Abrir_Conexao();
        const int64_t total_ms = Ms_Desde(inicio);
        if (a.proxy.Ativo()) {
            r.passos << QStringLiteral("Nome encontrado e conexão com o proxy %1 feita em %2.")
                            .arg(Descrever_Proxy(a.proxy), Segundos(via.Conexao_Proxy_ms()));
            r.passos << QStringLiteral("O proxy abriu o caminho até a máquina servidora %1 em %2.")
                            .arg(servidor, Segundos(total_ms - via.Conexao_Proxy_ms()));
        } else {
            r.passos << QStringLiteral("Nome encontrado e conexão com a máquina servidora %1 feita em %2.").arg(servidor, Segundos(total_ms));
        }
        via.Fechar_Conexao();
        r.passos << QStringLiteral("Conexão encerrada sem enviar nenhum dado.");
        r.sucesso = true;
    } catch (const Erro_Execucao &e) {
        direto.Fechar_Conexao();
        r.passos << QStringLiteral("Falhou após %1: %2").arg(Segundos(Ms_Desde(inicio)), e.descricao);
        r.mensagem = Aviso_Para_Falha(e.numero, e.descricao).texto;
    }
    return r;
}
