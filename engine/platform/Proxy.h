#pragma once
// The way out of an office network: a SOCKS5 proxy (with or without user and password) or an
// HTTP proxy that opens a tunnel with CONNECT (Basic authentication). Once the proxy has opened
// the way, the connection carries the block protocol unchanged.
#include "engine/platform/Socket_Encadeado.h"

#include <QString>
#include <cstdint>
#include <string>

struct Proxy {
    enum class Tipo { Nenhum, Socks5, Http };
    Tipo tipo = Tipo::Nenhum;
    std::string host;
    uint16_t porta = 0;
    std::string usuario;  // empty: no authentication
    std::string senha;    // kept in memory only

    bool Ativo() const { return tipo != Tipo::Nenhum; }
};

// "SOCKS5 host:porta" or "HTTP host:porta", with the user when there is one; never the password.
QString Descrever_Proxy(const Proxy &p);

// Failures met on the way through a proxy, beside the socket error numbers. Each carries a
// Portuguese description of what the proxy said.
namespace Erro_Proxy {
constexpr int Autenticacao_Recusada = 26001; // user or password refused, or required and not given
constexpr int Porta_Bloqueada = 26002;       // the proxy does not open the way to this port
constexpr int Nome_Nao_Encontrado = 26003;   // the proxy's own name, or the server's as the proxy looked it up
constexpr int Nao_Responde = 26004;          // nobody answers at the proxy's address, or it went silent
constexpr int Resposta_Invalida = 26005;     // the proxy spoke another protocol or closed the connection
constexpr int Destino_Inalcancavel = 26006;  // the proxy could not reach the server
constexpr int Destino_Recusou = 26007;       // the server refused the proxy's connection
} // namespace Erro_Proxy

// Connects to the proxy through `interno` and asks it for the way to Host_Remoto:Porta_Remota
// (the server's name goes to the proxy unresolved: inside an office only the proxy may know it).
class Socket_Via_Proxy : public Socket_Encadeado {
public:
    Socket_Via_Proxy(Socketout &interno, Proxy proxy) : Socket_Encadeado(interno), proxy_(std::move(proxy)) {}
    void Abrir_Conexao() override;
    // How long the last opening took to look up and connect the proxy itself.
    int64_t Conexao_Proxy_ms() const { return conexao_proxy_ms_; }

private:
    void Negociar_Socks5();
    void Negociar_Http();
    std::string Ler(size_t n);
    std::string Ler_Cabecalho_Http();

    Proxy proxy_;
    int64_t limite_ms_ = 0; // steady-clock time at which the negotiation gives up
    int64_t conexao_proxy_ms_ = 0;
};
