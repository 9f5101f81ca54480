#include "engine/platform/Proxy.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {
using Relogio = std::chrono::steady_clock;

int64_t Agora_ms()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Relogio::now().time_since_epoch()).count();
}

QString Endereco(const std::string &host, uint16_t porta)
{
    return De_1252(host) + QLatin1Char(':') + QString::number(porta);
}

[[noreturn]] void Falha(int numero, const QString &detalhe)
{
    throw Erro_Execucao(numero, detalhe);
}

// A failure reaching the proxy itself, said as the proxy's: the clerk must know it was not the server.
[[noreturn]] void Falha_Ao_Proxy(const Erro_Execucao &e, const Proxy &p)
{
    const QString onde = Endereco(p.host, p.porta);
    switch (e.numero) {
    case 25001: Falha(Erro_Proxy::Nome_Nao_Encontrado, QStringLiteral("o nome do proxy %1 não foi encontrado").arg(onde));
    case 24051:
    case 24065: Falha(Erro_Proxy::Destino_Inalcancavel, QStringLiteral("a rede não alcança o proxy %1").arg(onde));
    case 24060:
    case 24061: Falha(Erro_Proxy::Nao_Responde, QStringLiteral("o proxy %1 não responde").arg(onde));
    default: throw e;
    }
}
} // namespace

QString Descrever_Proxy(const Proxy &p)
{
    if (!p.Ativo())
        return QStringLiteral("sem proxy");
    QString s = (p.tipo == Proxy::Tipo::Socks5 ? QStringLiteral("SOCKS5 ") : QStringLiteral("HTTP ")) + Endereco(p.host, p.porta);
    if (!p.usuario.empty())
        s += QStringLiteral(" (usuário %1)").arg(De_1252(p.usuario));
    return s;
}

void Socket_Via_Proxy::Abrir_Conexao()
{
    if (!proxy_.Ativo()) {
        Socket_Encadeado::Abrir_Conexao();
        return;
    }
    Passar_Ajustes();
    interno_.Host_Remoto = proxy_.host;
    interno_.Porta_Remota = proxy_.porta;
    const int64_t inicio = Agora_ms();
    try {
        interno_.Abrir_Conexao();
    } catch (const Erro_Execucao &e) {
        Falha_Ao_Proxy(e, proxy_);
    }
    conexao_proxy_ms_ = Agora_ms() - inicio;
    limite_ms_ = Agora_ms() + Tempo_Limite_Conexao_ms;
    try {
        if (proxy_.tipo == Proxy::Tipo::Socks5)
            Negociar_Socks5();
        else
            Negociar_Http();
    } catch (...) {
        interno_.Fechar_Conexao();
        throw;
    }
}

// Exactly n bytes of the proxy's answer, waiting at most until the negotiation's limit.
std::string Socket_Via_Proxy::Ler(size_t n)
{
    std::string lido;
    int64_t ultima_espera = Agora_ms();
    while (lido.size() < n) {
        int disponiveis = 0;
        try {
            disponiveis = interno_.Bytes_Disponiveis();
        } catch (const Erro_Execucao &) {
            Falha(Erro_Proxy::Resposta_Invalida, QStringLiteral("o proxy encerrou a conexão sem abrir o caminho"));
        }
        if (disponiveis > 0) {
            lido += interno_.Receber_Dados(static_cast<int>(std::min<size_t>(static_cast<size_t>(disponiveis), n - lido.size())));
            continue;
        }
        const int64_t agora = Agora_ms();
        if (agora >= limite_ms_)
            Falha(Erro_Proxy::Nao_Responde, QStringLiteral("o proxy %1 não respondeu a tempo").arg(Endereco(proxy_.host, proxy_.porta)));
        if (Durante_Espera && agora - ultima_espera >= 100) {
            Durante_Espera();
            ultima_espera = agora;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return lido;
}

void Socket_Via_Proxy::Negociar_Socks5()
{
    const bool com_usuario = !proxy_.usuario.empty();
    if (Host_Remoto.size() > 255)
        Falha(Erro::Argumento_Invalido, QStringLiteral("nome da máquina servidora longo demais para o proxy"));
    // Greeting: version 5, the methods offered (no authentication; user and password).
    std::string saudacao = com_usuario ? std::string("\x05\x02\x00\x02", 4) : std::string("\x05\x01\x00", 3);
    interno_.Enviar_Dados(saudacao, static_cast<int>(saudacao.size()));
    const std::string escolha = Ler(2);
    if (escolha[0] != 5)
        Falha(Erro_Proxy::Resposta_Invalida, QStringLiteral("o proxy não fala SOCKS5"));
    const auto metodo = static_cast<unsigned char>(escolha[1]);
    if (metodo == 0xFF || (metodo == 2 && !com_usuario) || (metodo != 0 && metodo != 2))
        Falha(Erro_Proxy::Autenticacao_Recusada, QStringLiteral("o proxy exige usuário e senha"));
    if (metodo == 2) {
        if (proxy_.usuario.size() > 255 || proxy_.senha.size() > 255)
            Falha(Erro_Proxy::Autenticacao_Recusada, QStringLiteral("usuário ou senha longos demais para o proxy"));
        std::string pedido("\x01", 1);
        pedido += static_cast<char>(proxy_.usuario.size());
        pedido += proxy_.usuario;
        pedido += static_cast<char>(proxy_.senha.size());
        pedido += proxy_.senha;
        interno_.Enviar_Dados(pedido, static_cast<int>(pedido.size()));
        if (Ler(2)[1] != 0)
            Falha(Erro_Proxy::Autenticacao_Recusada, QStringLiteral("o proxy recusou o usuário ou a senha"));
    }
    // CONNECT to the server by name.
    std::string pedido("\x05\x01\x00\x03", 4);
    pedido += static_cast<char>(Host_Remoto.size());
    pedido += Host_Remoto;
    pedido += static_cast<char>(Porta_Remota >> 8);
    pedido += static_cast<char>(Porta_Remota & 0xFF);
    interno_.Enviar_Dados(pedido, static_cast<int>(pedido.size()));
    const std::string resposta = Ler(4);
    const QString servidor = Endereco(Host_Remoto, Porta_Remota);
    switch (resposta[1]) {
    case 0: break;
    case 2: Falha(Erro_Proxy::Porta_Bloqueada, QStringLiteral("a porta %1 está bloqueada pelo proxy").arg(Porta_Remota));
    case 1:  // general failure: what proxies answer when the server's name or address fails them
    case 3:
    case 4: Falha(Erro_Proxy::Destino_Inalcancavel, QStringLiteral("o proxy não encontrou ou não alcança a máquina servidora %1").arg(servidor));
    case 5: Falha(Erro_Proxy::Destino_Recusou, QStringLiteral("a máquina servidora %1 recusou a conexão do proxy").arg(servidor));
    case 6: Falha(Erro_Proxy::Nao_Responde, QStringLiteral("a máquina servidora %1 não respondeu ao proxy").arg(servidor));
    default: Falha(Erro_Proxy::Resposta_Invalida, QStringLiteral("o proxy recusou o pedido (código SOCKS %1)").arg(static_cast<unsigned char>(resposta[1])));
    }
    // The address the proxy bound: read and dropped, so the server's first byte is the reply's.
    switch (resposta[3]) {
    case 1: Ler(4 + 2); break;
    case 4: Ler(16 + 2); break;
    case 3: Ler(static_cast<unsigned char>(Ler(1)[0]) + 2u); break;
    default: Falha(Erro_Proxy::Resposta_Invalida, QStringLiteral("resposta SOCKS5 não reconhecida"));
    }
}

// The proxy's answer up to the blank line, read a byte at a time: what follows is the server's.
std::string Socket_Via_Proxy::Ler_Cabecalho_Http()
{
    constexpr size_t Maximo = 16384;
    std::string cabecalho;
    while (cabecalho.size() < 4 || cabecalho.compare(cabecalho.size() - 4, 4, "\r\n\r\n") != 0) {
        if (cabecalho.size() >= Maximo)
            Falha(Erro_Proxy::Resposta_Invalida, QStringLiteral("resposta do proxy HTTP longa demais"));
        cabecalho += Ler(1);
    }
    return cabecalho;
}

void Socket_Via_Proxy::Negociar_Http()
{
    const std::string destino = (Host_Remoto.find(':') != std::string::npos ? "[" + Host_Remoto + "]" : Host_Remoto) + ":" +
                                std::to_string(Porta_Remota);
    std::string pedido = "CONNECT " + destino + " HTTP/1.1\r\nHost: " + destino + "\r\n";
    if (!proxy_.usuario.empty()) {
        const QByteArray credencial = QByteArray::fromStdString(proxy_.usuario + ":" + proxy_.senha).toBase64();
        pedido += "Proxy-Authorization: Basic " + credencial.toStdString() + "\r\n";
    }
    pedido += "\r\n";
    interno_.Enviar_Dados(pedido, static_cast<int>(pedido.size()));
    const std::string cabecalho = Ler_Cabecalho_Http();
    // "HTTP/1.x NNN reason"
    const size_t espaco = cabecalho.find(' ');
    if (cabecalho.rfind("HTTP/", 0) != 0 || espaco == std::string::npos || cabecalho.size() < espaco + 4)
        Falha(Erro_Proxy::Resposta_Invalida, QStringLiteral("o proxy não fala HTTP"));
    const int estado = QByteArray::fromStdString(cabecalho.substr(espaco + 1, 3)).toInt();
    if (estado >= 200 && estado < 300)
        return;
    const QString servidor = Endereco(Host_Remoto, Porta_Remota);
    switch (estado) {
    case 401: // what some proxies (tinyproxy) answer a CONNECT whose credentials they refuse
    case 407:
        Falha(Erro_Proxy::Autenticacao_Recusada, proxy_.usuario.empty() ? QStringLiteral("o proxy exige usuário e senha")
                                                                         : QStringLiteral("o proxy recusou o usuário ou a senha"));
    case 403:
    case 405: Falha(Erro_Proxy::Porta_Bloqueada, QStringLiteral("a porta %1 está bloqueada pelo proxy").arg(Porta_Remota));
    case 404: Falha(Erro_Proxy::Nome_Nao_Encontrado, QStringLiteral("o proxy não encontrou a máquina servidora %1").arg(servidor));
    case 504: Falha(Erro_Proxy::Nao_Responde, QStringLiteral("a máquina servidora %1 não respondeu ao proxy").arg(servidor));
    default:
        if (estado >= 500)
            Falha(Erro_Proxy::Destino_Inalcancavel,
                  QStringLiteral("o proxy não conseguiu conectar a máquina servidora %1 (HTTP %2)").arg(servidor).arg(estado));
        Falha(Erro_Proxy::Resposta_Invalida, QStringLiteral("o proxy recusou o pedido (HTTP %1)").arg(estado));
    }
}
