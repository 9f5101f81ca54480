#include "tests/windows/Servidor_Linux.h"

#include <QDeadlineTimer>
#include <QString>
#include <QThread>
#include <QtGlobal>

#include <stdexcept>
#include <string>

namespace {
// The server's command line for the options the suites set; the rest keep their defaults.
std::string Linha_De_Opcoes(const servidor::Opcoes &o)
{
    std::string linha;
    auto opcao = [&linha](const std::string &nome, const std::string &valor = {}) {
        linha += nome + '\t';
        if (!valor.empty())
            linha += valor + '\t';
    };
    if (!o.competencia.aceita.empty())
        opcao("--competencia", o.competencia.aceita);
    if (o.competencia.anterior_como_acerto)
        opcao("--competencia-anterior");
    if (o.resposta_fixa)
        opcao("--resposta-fixa", *o.resposta_fixa);
    if (o.sem_resposta)
        opcao("--sem-resposta");
    if (o.resposta_partida_ms >= 0)
        opcao("--resposta-partida", std::to_string(o.resposta_partida_ms));
    if (o.reset_apos > 0)
        opcao("--reset-apos", std::to_string(o.reset_apos));
    if (o.fechar_apos > 0)
        opcao("--fechar-apos", std::to_string(o.fechar_apos));
    if (o.aceite_lento_ms > 0)
        opcao("--aceite-lento", std::to_string(o.aceite_lento_ms));
    return linha + '\n';
}

uint16_t Pedir_Servidor(Socketout &controle, const servidor::Opcoes &o)
{
    bool ok = false;
    controle.Host_Remoto = "127.0.0.1";
    controle.Porta_Remota = static_cast<uint16_t>(qEnvironmentVariableIntValue("ZELTA_SERVIDORES_LINUX", &ok));
    if (!ok)
        throw std::runtime_error("ZELTA_SERVIDORES_LINUX is not set: run the suites through scripts/teste-windows");
    controle.Abrir_Conexao();
    const std::string pedido = Linha_De_Opcoes(o);
    controle.Enviar_Dados(pedido, static_cast<int>(pedido.size()));
    std::string resposta;
    const QDeadlineTimer prazo(40000);
    while (resposta.find('\n') == std::string::npos && !prazo.hasExpired()) {
        if (const int n = controle.Bytes_Disponiveis(); n > 0)
            resposta += controle.Receber_Dados(n);
        else
            QThread::msleep(20);
    }
    if (resposta.rfind("porta ", 0) != 0)
        throw std::runtime_error("the Linux reception server did not start: " + resposta);
    return static_cast<uint16_t>(std::stoi(resposta.substr(6)));
}
} // namespace

Servidor_Local::Servidor_Local(const servidor::Opcoes &o) : porta(Pedir_Servidor(controle_, o)) {}
