#include "engine/platform/Descritor.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sistema {

Descritor &Descritor::operator=(Descritor &&o) noexcept
{
    if (this != &o) {
        Fechar();
        fd_ = o.fd_;
        o.fd_ = -1;
    }
    return *this;
}

void Descritor::Fechar()
{
    if (fd_ >= 0)
        ::close(fd_); // not repeated on EINTR: Linux has released the descriptor already
    fd_ = -1;
}

int Esperar_Leitura(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

ssize_t Receber(int fd, char *destino, size_t n)
{
    ssize_t r;
    do {
        r = ::recv(fd, destino, n, 0);
    } while (r < 0 && errno == EINTR);
    return r;
}

ssize_t Ler_Em(int fd, char *destino, size_t n, off_t posicao)
{
    ssize_t r;
    do {
        r = ::pread(fd, destino, n, posicao);
    } while (r < 0 && errno == EINTR);
    return r;
}

ssize_t Ler(int fd, char *destino, size_t n)
{
    ssize_t r;
    do {
        r = ::read(fd, destino, n);
    } while (r < 0 && errno == EINTR);
    return r;
}

ssize_t Escrever(int fd, const char *origem, size_t n)
{
    ssize_t r;
    do {
        r = ::write(fd, origem, n);
    } while (r < 0 && errno == EINTR);
    return r;
}

Descritor Abrir_Leitura(const char *caminho) { return Abrir(caminho, O_RDONLY); }

Descritor Abrir_Leitura_Escrita(const char *caminho) { return Abrir(caminho, O_RDWR); }

off_t Tamanho(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_size : -1;
}

ssize_t Escrever_Em(int fd, const char *origem, size_t n, off_t posicao)
{
    ssize_t r;
    do {
        r = ::pwrite(fd, origem, n, posicao);
    } while (r < 0 && errno == EINTR);
    return r;
}

int Travar(int fd, int espera_ms)
{
    constexpr int Passo_ms = 50;
    for (int esperado = 0;; esperado += Passo_ms) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return 0;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno;
        if (esperado >= espera_ms)
            return EWOULDBLOCK;
        ::poll(nullptr, 0, Passo_ms);
    }
}

Descritor Abrir(const char *caminho, int modo, mode_t permissoes)
{
    int fd;
    do {
        fd = ::open(caminho, modo | O_CLOEXEC, permissoes);
    } while (fd < 0 && errno == EINTR);
    return Descritor(fd);
}

namespace {

template <typename Chamada>
bool Tudo(std::string_view s, Chamada chamada)
{
    while (!s.empty()) {
        const ssize_t n = chamada(s);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        s.remove_prefix(size_t(n));
    }
    return true;
}

} // namespace

bool Enviar_Tudo(int fd, std::string_view s)
{
    return Tudo(s, [fd](std::string_view r) { return ::send(fd, r.data(), r.size(), MSG_NOSIGNAL); });
}

bool Escrever_Tudo(int fd, std::string_view s)
{
    return Tudo(s, [fd](std::string_view r) { return ::write(fd, r.data(), r.size()); });
}

} // namespace sistema
