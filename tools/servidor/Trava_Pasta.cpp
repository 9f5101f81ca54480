#include "tools/servidor/Trava_Pasta.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace servidor {

Trava_Pasta::Trava_Pasta(const std::string &pasta)
{
    const std::string caminho = (std::filesystem::path(pasta) / Nome_Trava).string();
    fd_ = sistema::Abrir(caminho.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0644);
    if (!fd_.Aberto())
        throw std::runtime_error("trava " + caminho + ": " + std::strerror(errno));
    int r;
    while ((r = ::flock(fd_.Fd(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (r != 0) {
        const int err = errno;
        if (err != EWOULDBLOCK)
            throw std::runtime_error("trava " + caminho + ": " + std::strerror(err));
        char pid[32] = {};
        const ssize_t n = sistema::Ler_Em(fd_.Fd(), pid, sizeof pid - 1, 0);
        const std::string quem = n > 0 ? " (processo " + std::string(pid, size_t(n)) + ")" : "";
        throw std::runtime_error("a pasta de dados " + pasta + " já está em uso por outro zelta-servidor" + quem +
                                 ": dois servidores não podem usar a mesma pasta");
    }
    // Who holds it, for the message of the next one that tries.
    const std::string eu = std::to_string(::getpid());
    if (::ftruncate(fd_.Fd(), 0) == 0) {
        [[maybe_unused]] const ssize_t w = ::pwrite(fd_.Fd(), eu.data(), eu.size(), 0);
    }
}

} // namespace servidor
