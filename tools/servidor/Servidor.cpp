#include "tools/servidor/Servidor.h"

#include "tools/servidor/Sessao.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace servidor {

namespace {

std::string Nome_Par(const sockaddr_storage &a)
{
    char host[NI_MAXHOST] = "?", porta[NI_MAXSERV] = "?";
    ::getnameinfo(reinterpret_cast<const sockaddr *>(&a), sizeof a, host, sizeof host, porta, sizeof porta,
                  NI_NUMERICHOST | NI_NUMERICSERV);
    return std::string(host) + ":" + porta;
}

} // namespace

Servidor::Servidor(const Opcoes &o) : opcoes_(o), registro_(o.dados)
{
    if (::pipe2(aviso_, O_CLOEXEC | O_NONBLOCK) < 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
}

Servidor::~Servidor()
{
    Parar();
    Recolher(true);
    for (int fd : {escuta_, aviso_[0], aviso_[1]})
        if (fd >= 0)
            ::close(fd);
}

uint16_t Servidor::Iniciar()
{
    addrinfo dicas{};
    dicas.ai_family = AF_UNSPEC;
    dicas.ai_socktype = SOCK_STREAM;
    dicas.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo *lista = nullptr;
    const std::string porta = std::to_string(opcoes_.porta);
    if (int r = ::getaddrinfo(opcoes_.escuta.c_str(), porta.c_str(), &dicas, &lista); r != 0)
        throw std::runtime_error("endereço " + opcoes_.escuta + ": " + ::gai_strerror(r));
    int fd = ::socket(lista->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int um = 1;
    if (fd >= 0)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &um, sizeof um);
    if (fd < 0 || ::bind(fd, lista->ai_addr, lista->ai_addrlen) < 0 || ::listen(fd, 128) < 0) {
        const int err = errno;
        ::freeaddrinfo(lista);
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("escuta em " + opcoes_.escuta + ":" + porta + ": " + std::strerror(err));
    }
    ::freeaddrinfo(lista);
    escuta_ = fd;
    sockaddr_storage a{};
    socklen_t t = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &t);
    return a.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6 &>(a).sin6_port)
                                   : ntohs(reinterpret_cast<sockaddr_in &>(a).sin_port);
}

void Servidor::Parar()
{
    parar_ = true;
    if (aviso_[1] >= 0) {
        [[maybe_unused]] auto r = ::write(aviso_[1], "x", 1);
    }
}

void Servidor::Recolher(bool todas)
{
    std::list<std::unique_ptr<Conexao>> prontas;
    {
        std::lock_guard t(mutex_);
        for (auto i = conexoes_.begin(); i != conexoes_.end();) {
            if (todas && (*i)->fd >= 0)
                ::shutdown((*i)->fd, SHUT_RDWR); // wakes its reads
            if (todas || (*i)->terminada)
                prontas.splice(prontas.end(), conexoes_, i++);
            else
                ++i;
        }
    }
    for (auto &c : prontas)
        c->linha.join();
}

void Servidor::Executar()
{
    if (escuta_ < 0)
        throw std::runtime_error("o servidor não foi iniciado");
    while (!parar_) {
        pollfd p[2] = {{escuta_, POLLIN, 0}, {aviso_[0], POLLIN, 0}};
        int r = ::poll(p, 2, 1000);
        Recolher(false);
        if (r <= 0 || !(p[0].revents & POLLIN))
            continue;
        sockaddr_storage par{};
        socklen_t t = sizeof par;
        int fd = ::accept4(escuta_, reinterpret_cast<sockaddr *>(&par), &t, SOCK_CLOEXEC);
        if (fd < 0)
            continue; // the client went away, or descriptors ran out for a moment
        timeval tv{opcoes_.tempo_ocioso_ms / 1000, (opcoes_.tempo_ocioso_ms % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        const std::string nome = Nome_Par(par);

        std::lock_guard trava(mutex_);
        if (conexoes_.size() >= size_t(opcoes_.maximo_clientes)) {
            Registrar_Log(nome + ": clientes demais, conexão recusada");
            ::close(fd);
            continue;
        }
        auto c = std::make_unique<Conexao>();
        Conexao *cp = c.get();
        cp->fd = fd;
        try {
            cp->linha = std::thread([this, cp, nome] {
                Fim_Sessao fim = Fim_Sessao::Fechar;
                try {
                    fim = Atender(cp->fd, opcoes_, registro_, nome);
                } catch (const std::exception &x) {
                    Registrar_Log(nome + ": " + x.what());
                }
                std::lock_guard t(mutex_);
                if (fim == Fim_Sessao::Resetar) {
                    linger l{1, 0};
                    ::setsockopt(cp->fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                }
                ::close(cp->fd);
                cp->fd = -1;
                cp->terminada = true;
            });
        } catch (const std::system_error &x) {
            Registrar_Log(nome + ": " + x.what());
            ::close(fd);
            continue;
        }
        conexoes_.push_back(std::move(c));
    }
    Recolher(true);
    char b[64];
    while (::read(aviso_[0], b, sizeof b) > 0) {
    }
}

} // namespace servidor
