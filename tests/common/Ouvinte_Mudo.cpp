#include "tests/common/Ouvinte_Mudo.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

Ouvinte_Mudo::Ouvinte_Mudo()
{
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tam = sizeof a;
    ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(fd_, 8);
    ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &tam);
    porta = ntohs(a.sin_port);
    fio_ = std::thread([this] { Servir(); });
}

Ouvinte_Mudo::~Ouvinte_Mudo()
{
    parar_ = true;
    fio_.join();
    ::close(fd_);
}

void Ouvinte_Mudo::Servir()
{
    // Bounded: ends when told to, at most 120 s after it started; a client never holds it up.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    std::vector<pollfd> fds{{fd_, POLLIN, 0}};
    while (!parar_ && std::chrono::steady_clock::now() < limite) {
        if (::poll(fds.data(), fds.size(), 50) <= 0)
            continue;
        for (size_t i = fds.size(); i-- > 1;) {
            if (fds[i].revents == 0)
                continue;
            char b[512];
            const ssize_t n = ::recv(fds[i].fd, b, sizeof b, 0);
            if (n > 0) {
                bytes += n;
                continue;
            }
            ::close(fds[i].fd);
            fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(i));
        }
        if (fds[0].revents & POLLIN) {
            const int c = ::accept(fd_, nullptr, nullptr);
            if (c >= 0) {
                ++conexoes;
                fds.push_back({c, POLLIN, 0});
            }
        }
    }
    for (size_t i = 1; i < fds.size(); ++i)
        ::close(fds[i].fd);
}
