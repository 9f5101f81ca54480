#include "tools/servidor/Servidor.h"

#include "tools/servidor/Log.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace servidor {

namespace {

using Relogio = std::chrono::steady_clock;

constexpr int Primeira_Espera_ms = 10, Maior_Espera_ms = 1000;
constexpr auto Espera_Cabecalho = std::chrono::seconds(1);
constexpr int Espera_Vaga_ms = 50; // how often a full server looks again for a slot
constexpr auto Intervalo_Aviso_Lotado = std::chrono::minutes(1);

// accept() failures that last until a connection ends: out of descriptors or memory.
bool Sem_Recursos(int err) { return err == EMFILE || err == ENFILE || err == ENOBUFS || err == ENOMEM; }

std::string Nome_Par(const sockaddr_storage &a)
{
    char host[NI_MAXHOST] = "?", porta[NI_MAXSERV] = "?";
    ::getnameinfo(reinterpret_cast<const sockaddr *>(&a), sizeof a, host, sizeof host, porta, sizeof porta,
                  NI_NUMERICHOST | NI_NUMERICSERV);
    return std::string(host) + ":" + porta;
}

} // namespace

Servidor::Servidor(const Opcoes &o) : opcoes_(o), registro_(o.dados, o.cota_dados, o.cota_envios)
{
    int aviso[2];
    if (::pipe2(aviso, O_CLOEXEC | O_NONBLOCK) < 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    aviso_leitura_ = Descritor(aviso[0]);
    aviso_escrita_ = Descritor(aviso[1]);
}

Servidor::~Servidor()
{
    Parar();
    Recolher(true);
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
    Descritor fd(::socket(lista->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    int um = 1;
    if (fd.Aberto())
        ::setsockopt(fd.Fd(), SOL_SOCKET, SO_REUSEADDR, &um, sizeof um);
    const bool ok = fd.Aberto() && ::bind(fd.Fd(), lista->ai_addr, lista->ai_addrlen) == 0 &&
                    ::listen(fd.Fd(), SOMAXCONN) == 0;
    const int err = errno;
    ::freeaddrinfo(lista);
    if (!ok)
        throw std::runtime_error("escuta em " + opcoes_.escuta + ":" + porta + ": " + std::strerror(err));
    escuta_ = std::move(fd);
    sockaddr_storage a{};
    socklen_t t = sizeof a;
    ::getsockname(escuta_.Fd(), reinterpret_cast<sockaddr *>(&a), &t);
    return a.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6 &>(a).sin6_port)
                                   : ntohs(reinterpret_cast<sockaddr_in &>(a).sin_port);
}

void Servidor::Parar()
{
    parar_ = true;
    if (aviso_escrita_.Aberto()) {
        [[maybe_unused]] auto r = ::write(aviso_escrita_.Fd(), "x", 1);
    }
}

void Servidor::Recolher(bool todas)
{
    std::list<std::unique_ptr<Conexao>> prontas;
    {
        std::lock_guard trava(mutex_);
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

bool Servidor::Abrir_Vaga()
{
    const auto agora = Relogio::now();
    const auto pausa = std::chrono::milliseconds(opcoes_.pausa_cliente_ms);
    size_t ativas = 0;
    Conexao *sem_cabecalho = nullptr, *atrasada = nullptr;
    Relogio::duration maior_silencio{};
    for (auto &c : conexoes_) {
        if (c->terminada || c->expulsa)
            continue;
        ++ativas;
        const int fase = c->progresso.fase;
        if (fase == Progresso::Sem_Cabecalho) {
            if (!sem_cabecalho || c->inicio < sem_cabecalho->inicio)
                sem_cabecalho = c.get();
        } else if (fase == Progresso::Enviando) {
            const auto silencio = agora - c->progresso.Ultimo_Avanco();
            if (silencio > pausa && silencio > maior_silencio)
                atrasada = c.get(), maior_silencio = silencio;
        }
    }
    if (ativas < size_t(opcoes_.maximo_clientes))
        return true;
    // A header sent at once has arrived by now: waiting longer for it is holding a slot.
    const bool sem_cabecalho_tardia = sem_cabecalho && agora - sem_cabecalho->inicio > Espera_Cabecalho;
    Conexao *vitima = sem_cabecalho_tardia ? sem_cabecalho : atrasada;
    if (!vitima)
        return false; // every client keeps the protocol's pace: none is dropped for a new one
    vitima->expulsa = true;
    ::shutdown(vitima->fd, SHUT_RDWR); // its thread sees the end and leaves
    return true;
}

void Servidor::Atender_Conexao(Conexao *c, const std::string &nome)
{
    Fim_Sessao fim = Fim_Sessao::Fechar;
    try {
        fim = Atender(c->fd, opcoes_, registro_, nome, &c->progresso);
    } catch (const std::exception &x) {
        Registrar_Log(nome + ": " + x.what());
    }
    std::lock_guard trava(mutex_);
    if (c->expulsa)
        Registrar_Log(nome + ": conexão descartada para dar lugar a um cliente novo");
    if (fim == Fim_Sessao::Resetar) {
        linger l{1, 0};
        ::setsockopt(c->fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    ::close(c->fd);
    c->fd = -1;
    c->terminada = true;
}

void Servidor::Esperar_Recursos(int &espera_ms)
{
    // The pending connection keeps the listening socket readable: without a pause the loop
    // would spin until a descriptor is free again.
    if (espera_ms == 0)
        Registrar_Log(std::string("não foi possível aceitar conexões (") + std::strerror(errno) +
                      "): novas conexões esperam até haver recursos");
    espera_ms = std::clamp(espera_ms * 2, Primeira_Espera_ms, Maior_Espera_ms);
    Pausar(espera_ms);
}

void Servidor::Pausar(int ms)
{
    pollfd p{aviso_leitura_.Fd(), POLLIN, 0};
    ::poll(&p, 1, ms);
}

void Servidor::Executar()
{
    if (!escuta_.Aberto())
        throw std::runtime_error("o servidor não foi iniciado");
    int espera_ms = 0; // while descriptors or memory are out: the pause before the next accept
    Relogio::time_point aviso_lotado{}; // the last log line about a full server
    while (!parar_) {
        pollfd p[2] = {{escuta_.Fd(), POLLIN, 0}, {aviso_leitura_.Fd(), POLLIN, 0}};
        int r = ::poll(p, 2, 1000);
        Recolher(false);
        if (r <= 0 || !(p[0].revents & POLLIN))
            continue;
        bool vaga;
        {
            std::lock_guard trava(mutex_);
            vaga = Abrir_Vaga();
        }
        if (!vaga) {
            // The connection waits its turn in the listen queue rather than being refused: a
            // client refused at once would only come back and race the honest ones for slots.
            if (Relogio::now() - aviso_lotado >= Intervalo_Aviso_Lotado) {
                Registrar_Log("clientes demais: conexões novas esperam na fila por uma vaga");
                aviso_lotado = Relogio::now();
            }
            Pausar(Espera_Vaga_ms);
            continue;
        }
        sockaddr_storage par{};
        socklen_t t = sizeof par;
        int fd = ::accept4(escuta_.Fd(), reinterpret_cast<sockaddr *>(&par), &t, SOCK_CLOEXEC);
        if (fd < 0) {
            if (Sem_Recursos(errno))
                Esperar_Recursos(espera_ms);
            continue; // or the client went away
        }
        if (espera_ms > 0) {
            Registrar_Log("conexões aceitas de novo");
            espera_ms = 0;
        }
        timeval tv{opcoes_.tempo_ocioso_ms / 1000, (opcoes_.tempo_ocioso_ms % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        const std::string nome = Nome_Par(par);

        std::lock_guard trava(mutex_);
        auto c = std::make_unique<Conexao>();
        c->fd = fd;
        try {
            c->linha = std::thread(&Servidor::Atender_Conexao, this, c.get(), nome);
        } catch (const std::system_error &x) {
            Registrar_Log(nome + ": " + x.what());
            ::close(fd);
            continue;
        }
        conexoes_.push_back(std::move(c));
    }
    Recolher(true);
    char b[64];
    while (::read(aviso_leitura_.Fd(), b, sizeof b) > 0) {
    }
}

} // namespace servidor
