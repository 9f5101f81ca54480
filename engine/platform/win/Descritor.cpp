// Descriptors on Windows: C runtime descriptors for files, always in binary mode (text mode turns
// "\r\n" into "\r\r\n"), and Winsock sockets for the functions that receive and send.
#include "engine/platform/Descritor.h"

#include "engine/platform/win/Nomes.h"

#include <winsock2.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

namespace sistema {

namespace {
SOCKET Socket_De(int fd) { return static_cast<SOCKET>(static_cast<unsigned>(fd)); }

HANDLE Handle_De(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// One positioned read or write through the file's handle; the C runtime has no pread.
ssize_t Em_Posicao(int fd, char *dados, size_t n, off_t posicao, bool escrita)
{
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(static_cast<unsigned long long>(posicao) & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(posicao) >> 32);
    DWORD feitos = 0;
    const DWORD pedidos = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    const BOOL ok = escrita ? ::WriteFile(Handle_De(fd), dados, pedidos, &feitos, &ov)
                            : ::ReadFile(Handle_De(fd), dados, pedidos, &feitos, &ov);
    if (!ok && ::GetLastError() != ERROR_HANDLE_EOF) {
        errno = EIO;
        return -1;
    }
    return static_cast<ssize_t>(feitos);
}

// The region every writer of the program locks: one byte far past any real data. Windows locks
// are mandatory, so locking the data itself would make readers of the file fail while an entry
// is appended; this byte only keeps writers of the program in turn, like an advisory lock.
constexpr DWORD Trava_Alta = 0x40000000u;
} // namespace

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
        ::_close(fd_);
    fd_ = -1;
}

int Esperar_Leitura(int fd, int ms)
{
    fd_set leitura;
    FD_ZERO(&leitura);
    FD_SET(Socket_De(fd), &leitura);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    const int r = ::select(0, &leitura, nullptr, nullptr, ms < 0 ? nullptr : &tv);
    return r == SOCKET_ERROR ? -1 : (r > 0 ? 1 : 0);
}

ssize_t Receber(int fd, char *destino, size_t n)
{
    return ::recv(Socket_De(fd), destino, n > 0x40000000u ? 0x40000000 : static_cast<int>(n), 0);
}

ssize_t Ler_Em(int fd, char *destino, size_t n, off_t posicao) { return Em_Posicao(fd, destino, n, posicao, false); }

ssize_t Ler(int fd, char *destino, size_t n)
{
    return ::_read(fd, destino, n > 0x40000000u ? 0x40000000u : static_cast<unsigned>(n));
}

ssize_t Escrever(int fd, const char *origem, size_t n)
{
    return ::_write(fd, origem, n > 0x40000000u ? 0x40000000u : static_cast<unsigned>(n));
}

Descritor Abrir(const char *caminho, int modo, mode_t permissoes)
{
    const int pm = (permissoes & 0200) ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
    return Descritor(::_wopen(Nome_Largo(caminho).c_str(), modo | _O_BINARY | _O_NOINHERIT, pm));
}

Descritor Abrir_Leitura(const char *caminho) { return Abrir(caminho, _O_RDONLY); }

Descritor Abrir_Leitura_Escrita(const char *caminho) { return Abrir(caminho, _O_RDWR); }

off_t Tamanho(int fd) { return static_cast<off_t>(::_filelengthi64(fd)); }

ssize_t Escrever_Em(int fd, const char *origem, size_t n, off_t posicao)
{
    return Em_Posicao(fd, const_cast<char *>(origem), n, posicao, true);
}

int Travar(int fd, int espera_ms)
{
    constexpr int Passo_ms = 50;
    for (int esperado = 0;; esperado += Passo_ms) {
        OVERLAPPED ov{};
        ov.OffsetHigh = Trava_Alta;
        if (::LockFileEx(Handle_De(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov))
            return 0;
        const DWORD erro = ::GetLastError();
        if (erro != ERROR_LOCK_VIOLATION && erro != ERROR_IO_PENDING)
            return EACCES;
        if (esperado >= espera_ms)
            return EWOULDBLOCK;
        ::Sleep(Passo_ms);
    }
}

bool Enviar_Tudo(int fd, std::string_view s)
{
    while (!s.empty()) {
        const int n = ::send(Socket_De(fd), s.data(), s.size() > 0x40000000u ? 0x40000000 : static_cast<int>(s.size()), 0);
        if (n <= 0)
            return false;
        s.remove_prefix(size_t(n));
    }
    return true;
}

bool Escrever_Tudo(int fd, std::string_view s)
{
    while (!s.empty()) {
        const ssize_t n = Escrever(fd, s.data(), s.size());
        if (n <= 0)
            return false;
        s.remove_prefix(size_t(n));
    }
    return true;
}

} // namespace sistema
