#include "engine/platform/Socketout.h"

#include "engine/platform/Erro_Execucao.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <future>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Windows Sockets codes are 10000 + the BSD number of the condition; the component reports
// them as 14000 + the code. A table, not a switch: several errno names share one value here.
struct Par_Erro { int err; int codigo_wsa; };
constexpr Par_Erro Tabela_Wsa[] = {
    {EINTR, 10004},           {EBADF, 10009},        {EACCES, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},       {EMFILE, 10024},
    {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},  {EALREADY, 10037},
    {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},        {ENETUNREACH, 10051},  {ENETRESET, 10052},
    {ECONNABORTED, 10053},    {ECONNRESET, 10054},   {ENOBUFS, 10055},
    {EISCONN, 10056},         {ENOTCONN, 10057},     {ESHUTDOWN, 10058},
    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061},
    {ELOOP, 10062},           {ENAMETOOLONG, 10063}, {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},    {EUSERS, 10068},
    {EDQUOT, 10069},          {ESTALE, 10070},       {EREMOTE, 10071},
    // Windows has no broken pipe: sending to a peer that went away is a reset there.
    {EPIPE, 10054},
};

// The socket error number for a C errno value.
int Numero_Erro_Socket(int err)
{
    for (const auto &p : Tabela_Wsa)
        if (p.err == err)
            return 14000 + p.codigo_wsa;
    if (err == ENOMEM)
        return Erro::Sem_Memoria;
    return Erro::Erro_Entrada_Saida;
}

constexpr int Host_Nao_Encontrado = 25001; // 14000 + WSAHOST_NOT_FOUND (11001)

[[noreturn]] void Falha(int err)
{
    throw Erro_Execucao(Numero_Erro_Socket(err), Descricao_Sistema(err));
}

using Relogio = std::chrono::steady_clock;

int Ms_Restantes(Relogio::time_point limite)
{
    auto resto = std::chrono::duration_cast<std::chrono::milliseconds>(limite - Relogio::now()).count();
    return resto > 0 ? static_cast<int>(resto) : 0;
}

// Connects one resolved address before the deadline; returns the descriptor or -1 with errno set.
// While it waits, `durante` (when given) runs about ten times a second.
int Conectar_Endereco(const addrinfo *a, Relogio::time_point limite, const std::function<void()> &durante)
{
    sistema::Descritor conexao(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
    if (!conexao.Aberto())
        return -1;
    const int fd = conexao.Fd();
    int err = 0;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) < 0) {
        err = errno;
        if (err == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int r;
            for (;;) {
                const int resta = Ms_Restantes(limite);
                r = ::poll(&p, 1, durante ? std::min(resta, 100) : resta);
                if (r < 0 && errno == EINTR)
                    continue;
                if (r != 0 || resta <= 100 || !durante)
                    break;
                durante();
            }
            socklen_t tam = sizeof err;
            if (r == 0)
                err = ETIMEDOUT;
            else if (r < 0)
                err = errno;
            else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &tam) < 0)
                err = errno;
        }
    }
    if (err != 0) {
        conexao.Fechar();
        errno = err;
        return -1;
    }
    return conexao.Soltar();
}

// From here on the connection is blocking, but a send that cannot progress still ends.
void Preparar_Conectado(int fd, int tempo_limite_ms)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int um = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &um, sizeof um);
    if (tempo_limite_ms > 0) {
        timeval tv{tempo_limite_ms / 1000, (tempo_limite_ms % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }
}

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
        Falha(EISCONN);

    addrinfo dicas{};
    dicas.ai_family = AF_UNSPEC;
    dicas.ai_socktype = SOCK_STREAM;
    dicas.ai_flags = AI_ADDRCONFIG;
    struct Resolucao {
        int r = 0, err = 0;
        addrinfo *lista = nullptr;
    };
    auto resolver = [host = Host_Remoto, porta = std::to_string(Porta_Remota), dicas] {
        Resolucao x;
        x.r = ::getaddrinfo(host.c_str(), porta.c_str(), &dicas, &x.lista);
        x.err = errno;
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
    addrinfo *lista = x.lista;
    const int r = x.r;
    if (r == EAI_SYSTEM)
        Falha(x.err);
    if (r == EAI_MEMORY)
        throw Erro_Execucao(Erro::Sem_Memoria, Descricao_Sistema(ENOMEM));
    if (r != 0)  // unknown name, no answer from the resolver, no address of a usable kind
        throw Erro_Execucao(Host_Nao_Encontrado, r == EAI_AGAIN ? QStringLiteral("Falha temporária na resolução de nomes")
                                                                : QStringLiteral("Nome de máquina desconhecido"));

    const auto limite = Relogio::now() + std::chrono::milliseconds(Tempo_Limite_Conexao_ms);
    int ultimo_erro = ETIMEDOUT;
    for (const addrinfo *a = lista; a; a = a->ai_next) {
        int fd = Conectar_Endereco(a, limite, Durante_Espera);
        if (fd >= 0) {
            fd_ = sistema::Descritor(fd);
            break;
        }
        ultimo_erro = errno;
        if (ultimo_erro == ETIMEDOUT)
            break;  // the whole time allowed is spent
    }
    ::freeaddrinfo(lista);
    if (!fd_.Aberto())
        Falha(ultimo_erro);
    Preparar_Conectado(fd_.Fd(), Tempo_Limite_Conexao_ms);
}

int Socketout::Enviar_Dados(const std::string &buffer, int tamanho)
{
    if (!fd_.Aberto())
        Falha(ENOTCONN);
    if (tamanho < 0 || static_cast<size_t>(tamanho) > buffer.size())
        throw Erro_Execucao(Erro::Argumento_Invalido, Descricao_Sistema(EINVAL));
    int enviados = 0;
    while (enviados < tamanho) {
        ssize_t n = ::send(fd_.Fd(), buffer.data() + enviados, tamanho - enviados, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // The send time-out ran out: the peer stopped taking bytes.
            Falha(errno == EAGAIN || errno == EWOULDBLOCK ? ETIMEDOUT : errno);
        }
        enviados += static_cast<int>(n);
    }
    return enviados;
}

int Socketout::Bytes_Disponiveis()
{
    if (!fd_.Aberto())
        Falha(ENOTCONN);
    int n = 0;
    if (::ioctl(fd_.Fd(), FIONREAD, &n) < 0)
        Falha(errno);
    if (n > 0)
        return n;
    // Nothing waiting: tell "not yet" from "never", so the caller stops waiting for a reply.
    pollfd p{fd_.Fd(), POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return 0;
    char c;
    ssize_t r = ::recv(fd_.Fd(), &c, 1, MSG_PEEK | MSG_DONTWAIT);
    if (r == 0)
        Falha(ECONNABORTED);
    if (r < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return 0;
        Falha(errno);
    }
    return 1;  // a byte arrived between the two looks
}

std::string Socketout::Receber_Dados(int n)
{
    if (!fd_.Aberto())
        Falha(ENOTCONN);
    std::string dados;
    char pedaco[4096];
    while (dados.size() < static_cast<size_t>(std::max(n, 0))) {
        const size_t falta = std::min(sizeof pedaco, static_cast<size_t>(n) - dados.size());
        ssize_t r = ::recv(fd_.Fd(), pedaco, falta, MSG_DONTWAIT);
        if (r > 0) {
            dados.append(pedaco, static_cast<size_t>(r));
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && dados.empty())
            Falha(errno);
        break;  // nothing more waiting, or the peer closed after what was read
    }
    return dados;
}

void Socketout::Comando_Pos_Resposta()
{
    if (!fd_.Aberto())
        Falha(ENOTCONN);
    // Failures are left for the next send or poll to report: the reply was already read.
    char descarte[4096];
    for (;;) {
        ssize_t r = ::recv(fd_.Fd(), descarte, sizeof descarte, MSG_DONTWAIT);
        if (r > 0)
            continue;
        if (r < 0 && errno == EINTR)
            continue;
        break;
    }
}

void Socketout::Fechar_Conexao()
{
    fd_.Fechar();
}
