// The TCP client on Winsock. The failure numbers come straight from Winsock: 14000 + its code
// (24061 refused, 24054 reset, 24053 aborted, 24051 unreachable); the descriptions are ours.
#include "engine/platform/Socketout.h"

#include "engine/platform/Erro_Execucao.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <mutex>

namespace {

// Winsock codes whose condition the C library names too: their Portuguese descriptions are the
// ones the program already has for those names.
struct Par_Erro { int codigo_wsa; int err; };
constexpr Par_Erro Tabela_Errno[] = {
    {WSAEINTR, EINTR},           {WSAEBADF, EBADF},             {WSAEACCES, EACCES},
    {WSAEFAULT, EFAULT},         {WSAEINVAL, EINVAL},           {WSAEMFILE, EMFILE},
    {WSAEWOULDBLOCK, EWOULDBLOCK}, {WSAEINPROGRESS, EINPROGRESS}, {WSAEALREADY, EALREADY},
    {WSAENOTSOCK, ENOTSOCK},     {WSAEDESTADDRREQ, EDESTADDRREQ}, {WSAEMSGSIZE, EMSGSIZE},
    {WSAEPROTOTYPE, EPROTOTYPE}, {WSAENOPROTOOPT, ENOPROTOOPT}, {WSAEPROTONOSUPPORT, EPROTONOSUPPORT},
    {WSAEOPNOTSUPP, EOPNOTSUPP}, {WSAEAFNOSUPPORT, EAFNOSUPPORT}, {WSAEADDRINUSE, EADDRINUSE},
    {WSAEADDRNOTAVAIL, EADDRNOTAVAIL}, {WSAENETDOWN, ENETDOWN}, {WSAENETUNREACH, ENETUNREACH},
    {WSAENETRESET, ENETRESET},   {WSAECONNABORTED, ECONNABORTED}, {WSAECONNRESET, ECONNRESET},
    {WSAENOBUFS, ENOBUFS},       {WSAEISCONN, EISCONN},         {WSAENOTCONN, ENOTCONN},
    {WSAETIMEDOUT, ETIMEDOUT},   {WSAECONNREFUSED, ECONNREFUSED}, {WSAELOOP, ELOOP},
    {WSAENAMETOOLONG, ENAMETOOLONG}, {WSAEHOSTUNREACH, EHOSTUNREACH}, {WSAENOTEMPTY, ENOTEMPTY},
};

// Codes the C library has no name for.
struct Texto_Wsa { int codigo_wsa; const char *texto; };
constexpr Texto_Wsa Textos_Wsa[] = {
    {WSAESOCKTNOSUPPORT, "Tipo de socket não suportado"},
    {WSAEPFNOSUPPORT, "Família de protocolos não suportada"},
    {WSAESHUTDOWN, "Não é possível enviar após o fechamento da conexão"},
    {WSAEHOSTDOWN, "A máquina não está ativa"},
    {WSASYSNOTREADY, "O subsistema de rede não está pronto"},
    {WSANOTINITIALISED, "O Windows Sockets não foi iniciado"},
};

QString Descricao_Winsock(int codigo)
{
    for (const auto &p : Tabela_Errno)
        if (p.codigo_wsa == codigo)
            return Descricao_Sistema(p.err);
    for (const auto &t : Textos_Wsa)
        if (t.codigo_wsa == codigo)
            return QString::fromUtf8(t.texto);
    wchar_t *texto = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(codigo), 0, reinterpret_cast<wchar_t *>(&texto), 0, nullptr);
    const QString d = texto ? QString::fromWCharArray(texto).trimmed() : QStringLiteral("Erro %1").arg(codigo);
    ::LocalFree(texto);
    return d;
}

[[noreturn]] void Falha(int codigo_wsa)
{
    if (codigo_wsa == WSA_NOT_ENOUGH_MEMORY)
        throw Erro_Execucao(Erro::Sem_Memoria, Descricao_Sistema(ENOMEM));
    throw Erro_Execucao(14000 + codigo_wsa, Descricao_Winsock(codigo_wsa));
}

[[noreturn]] void Falha_Ultima() { Falha(::WSAGetLastError()); }

// Winsock must be started once per process before any other call.
void Iniciar_Winsock()
{
    static std::once_flag uma_vez;
    std::call_once(uma_vez, [] {
        WSADATA dados;
        if (const int r = ::WSAStartup(MAKEWORD(2, 2), &dados); r != 0)
            Falha(r);
    });
}

SOCKET Socket_De(const sistema::Descritor &fd) { return static_cast<SOCKET>(static_cast<unsigned>(fd.Fd())); }

// Whether something can be read (bytes, or the peer's end) within `ms`.
bool Legivel(SOCKET s, int ms)
{
    fd_set leitura;
    FD_ZERO(&leitura);
    FD_SET(s, &leitura);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return ::select(0, &leitura, nullptr, nullptr, &tv) > 0;
}

using Relogio = std::chrono::steady_clock;

int Ms_Restantes(Relogio::time_point limite)
{
    auto resto = std::chrono::duration_cast<std::chrono::milliseconds>(limite - Relogio::now()).count();
    return resto > 0 ? static_cast<int>(resto) : 0;
}

// Connects one resolved address before the deadline; INVALID_SOCKET with the Winsock code in
// `erro` otherwise. While it waits, `durante` (when given) runs about ten times a second.
SOCKET Conectar_Endereco(const addrinfo *a, Relogio::time_point limite, const std::function<void()> &durante, int &erro)
{
    SOCKET s = ::WSASocketW(a->ai_family, a->ai_socktype, a->ai_protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        erro = ::WSAGetLastError();
        return s;
    }
    u_long sem_bloqueio = 1;
    ::ioctlsocket(s, FIONBIO, &sem_bloqueio);
    erro = 0;
    if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == SOCKET_ERROR) {
        erro = ::WSAGetLastError();
        if (erro == WSAEWOULDBLOCK) {
            for (;;) {
                const int resta = Ms_Restantes(limite);
                const int passo = durante ? std::min(resta, 100) : resta;
                fd_set escrita, excecao;
                FD_ZERO(&escrita);
                FD_ZERO(&excecao);
                FD_SET(s, &escrita);
                FD_SET(s, &excecao);
                timeval tv{passo / 1000, (passo % 1000) * 1000};
                const int r = ::select(0, nullptr, &escrita, &excecao, &tv);
                if (r == SOCKET_ERROR) {
                    erro = ::WSAGetLastError();
                    break;
                }
                if (r > 0) {
                    int codigo = 0, tam = sizeof codigo;
                    erro = ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&codigo), &tam) == 0
                        ? codigo : ::WSAGetLastError();
                    break;
                }
                if (resta <= passo) {
                    erro = WSAETIMEDOUT;
                    break;
                }
                if (durante)
                    durante();
            }
        }
    }
    if (erro != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// From here on the connection is blocking, but a send that cannot progress still ends.
void Preparar_Conectado(SOCKET s, int tempo_limite_ms)
{
    u_long sem_bloqueio = 0;
    ::ioctlsocket(s, FIONBIO, &sem_bloqueio);
    BOOL um = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&um), sizeof um);
    if (tempo_limite_ms > 0) {
        const DWORD ms = static_cast<DWORD>(tempo_limite_ms);
        ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char *>(&ms), sizeof ms);
    }
}

constexpr int Host_Nao_Encontrado = 25001; // 14000 + WSAHOST_NOT_FOUND (11001)

} // namespace

Socketout::~Socketout()
{
    Fechar_Conexao();
}

bool Socketout::Conectado() const
{
    return fd_.Aberto();
}

void Socketout::Abrir_Conexao()
{
    if (fd_.Aberto())
        Falha(WSAEISCONN);
    Iniciar_Winsock();

    addrinfo dicas{};
    dicas.ai_family = AF_UNSPEC;
    dicas.ai_socktype = SOCK_STREAM;
    dicas.ai_flags = AI_ADDRCONFIG;
    struct Resolucao {
        int r = 0;
        addrinfo *lista = nullptr;
    };
    auto resolver = [host = Host_Remoto, porta = std::to_string(Porta_Remota), dicas] {
        Resolucao x;
        x.r = ::getaddrinfo(host.c_str(), porta.c_str(), &dicas, &x.lista);
        return x;
    };
    Resolucao x;
    if (Durante_Espera) {
        // The lookup may take the resolver's whole time-out: on a thread of its own, so the hook
        // keeps running (a window keeps painting) as it does while connecting.
        std::future<Resolucao> resolvido = std::async(std::launch::async, resolver);
        while (resolvido.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
            Durante_Espera();
        x = resolvido.get();
    } else {
        x = resolver();
    }
    if (x.r == EAI_MEMORY)
        throw Erro_Execucao(Erro::Sem_Memoria, Descricao_Sistema(ENOMEM));
    if (x.r != 0)  // unknown name, no answer from the resolver, no address of a usable kind
        throw Erro_Execucao(Host_Nao_Encontrado, x.r == EAI_AGAIN ? QStringLiteral("Falha temporária na resolução de nomes")
                                                                  : QStringLiteral("Nome de máquina desconhecido"));

    const auto limite = Relogio::now() + std::chrono::milliseconds(Tempo_Limite_Conexao_ms);
    int ultimo_erro = WSAETIMEDOUT;
    SOCKET s = INVALID_SOCKET;
    for (const addrinfo *a = x.lista; a; a = a->ai_next) {
        s = Conectar_Endereco(a, limite, Durante_Espera, ultimo_erro);
        if (s != INVALID_SOCKET || ultimo_erro == WSAETIMEDOUT)
            break;  // connected, or the whole time allowed is spent
    }
    ::freeaddrinfo(x.lista);
    if (s == INVALID_SOCKET)
        Falha(ultimo_erro);
    // Windows handles fit in 32 bits (they are shared with 32-bit programs): the descriptor keeps it.
    fd_ = sistema::Descritor(static_cast<int>(s));
    Preparar_Conectado(s, Tempo_Limite_Conexao_ms);
}

int Socketout::Enviar_Dados(const std::string &buffer, int tamanho)
{
    if (!fd_.Aberto())
        Falha(WSAENOTCONN);
    if (tamanho < 0 || static_cast<size_t>(tamanho) > buffer.size())
        throw Erro_Execucao(Erro::Argumento_Invalido, Descricao_Sistema(EINVAL));
    int enviados = 0;
    while (enviados < tamanho) {
        const int n = ::send(Socket_De(fd_), buffer.data() + enviados, tamanho - enviados, 0);
        if (n == SOCKET_ERROR)
            Falha_Ultima();  // the send time-out gives WSAETIMEDOUT itself
        enviados += n;
    }
    return enviados;
}

int Socketout::Bytes_Disponiveis()
{
    if (!fd_.Aberto())
        Falha(WSAENOTCONN);
    u_long n = 0;
    if (::ioctlsocket(Socket_De(fd_), FIONREAD, &n) == SOCKET_ERROR)
        Falha_Ultima();
    if (n > 0)
        return static_cast<int>(std::min<u_long>(n, 0x7FFFFFFF));
    // Nothing waiting: tell "not yet" from "never", so the caller stops waiting for a reply.
    if (!Legivel(Socket_De(fd_), 0))
        return 0;
    char c;
    const int r = ::recv(Socket_De(fd_), &c, 1, MSG_PEEK);
    if (r == 0)
        Falha(WSAECONNABORTED);
    if (r == SOCKET_ERROR)
        Falha_Ultima();
    return 1;  // a byte arrived between the two looks
}

std::string Socketout::Receber_Dados(int n)
{
    if (!fd_.Aberto())
        Falha(WSAENOTCONN);
    std::string dados;
    char pedaco[4096];
    // Reads only while the socket says something is there: the connection itself blocks.
    while (dados.size() < static_cast<size_t>(std::max(n, 0)) && Legivel(Socket_De(fd_), 0)) {
        const size_t falta = std::min(sizeof pedaco, static_cast<size_t>(n) - dados.size());
        const int r = ::recv(Socket_De(fd_), pedaco, static_cast<int>(falta), 0);
        if (r > 0) {
            dados.append(pedaco, static_cast<size_t>(r));
            continue;
        }
        if (r == SOCKET_ERROR && dados.empty())
            Falha_Ultima();
        break;  // the peer closed after what was read
    }
    return dados;
}

void Socketout::Comando_Pos_Resposta()
{
    if (!fd_.Aberto())
        Falha(WSAENOTCONN);
    // Failures are left for the next send or poll to report: the reply was already read.
    char descarte[4096];
    while (Legivel(Socket_De(fd_), 0) && ::recv(Socket_De(fd_), descarte, sizeof descarte, 0) > 0) {
    }
}

void Socketout::Fechar_Conexao()
{
    if (fd_.Aberto())
        ::closesocket(static_cast<SOCKET>(static_cast<unsigned>(fd_.Soltar())));
}
