#pragma once
// File descriptors: an owner that closes, and the system calls that a signal may interrupt,
// repeated until they finish. Plain POSIX, no Qt: the reception server uses it too.
#include <string_view>

#include <sys/types.h>

namespace sistema {

class Descritor {
public:
    Descritor() = default;
    explicit Descritor(int fd) : fd_(fd) {}
    ~Descritor() { Fechar(); }
    Descritor(Descritor &&o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Descritor &operator=(Descritor &&o) noexcept;
    Descritor(const Descritor &) = delete;
    Descritor &operator=(const Descritor &) = delete;

    int Fd() const { return fd_; }
    bool Aberto() const { return fd_ >= 0; }
    void Fechar();
    // Gives the descriptor up without closing it (for a close whose result matters).
    int Soltar()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_ = -1;
};

// Waits up to `ms` (0: just looks) for bytes to read: 1 when there are some (or the end),
// 0 after the time, -1 on failure.
int Esperar_Leitura(int fd, int ms);
// recv / pread / write without interruption by signals; the result of the call.
ssize_t Receber(int fd, char *destino, size_t n);
ssize_t Ler_Em(int fd, char *destino, size_t n, off_t posicao);
ssize_t Ler(int fd, char *destino, size_t n);
// One write(2), repeated only when a signal interrupted it before anything was written.
ssize_t Escrever(int fd, const char *origem, size_t n);
// open() without interruption; the descriptor is closed on exec.
Descritor Abrir(const char *caminho, int modo, mode_t permissoes = 0);
// An existing file opened for reading, or for reading and writing.
Descritor Abrir_Leitura(const char *caminho);
Descritor Abrir_Leitura_Escrita(const char *caminho);
// The size of the open file; -1 on failure.
off_t Tamanho(int fd);
// pwrite without interruption by signals; the result of the call.
ssize_t Escrever_Em(int fd, const char *origem, size_t n, off_t posicao);
// Waits up to `espera_ms` for the advisory lock of the whole file: 0 once it is ours,
// EWOULDBLOCK when another holder kept it all that time, the errno value of another failure.
int Travar(int fd, int espera_ms);
// The whole of `s` to a socket (without SIGPIPE) or a file; false when it could not go.
bool Enviar_Tudo(int fd, std::string_view s);
bool Escrever_Tudo(int fd, std::string_view s);

} // namespace sistema
