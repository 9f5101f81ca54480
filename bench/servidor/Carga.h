#pragma once
// Load for the server benchmarks: attacking connections driven from one thread (a burst of
// blocks when they connect, then one block every `intervalo`, connecting again when dropped),
// and an honest client that paces its blocks like the real one.
#include "tests/tools/Cliente_Teste.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace carga {

using Relogio = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A non-blocking connection to the server on loopback; -1 when it cannot even start.
inline int Conectar(uint16_t porta)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(porta);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) < 0 && errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Plano {
    int atacantes = 256;
    int rajada = 30;                        // blocks sent at once on connecting
    Relogio::duration intervalo = 25s;      // then one block this often
    int total = servidor::Maximo_Blocos;    // the total announced: the upload never ends
};

struct Placar {
    std::atomic<long> quedas{0};
    std::atomic<int> conectados{0};
};

// Keeps the attackers at work until `fim` or `parar`.
inline void Atacar(uint16_t porta, const Plano &plano, Relogio::time_point fim, const std::atomic<bool> &parar,
                   Placar &placar)
{
    struct Atacante {
        int fd = -1;
        int bloco = 1, devidos = 0; // the next block's number, blocks owed now
        std::string saida;
        Relogio::time_point proximo; // the next connection, or the next paced block
    };
    std::vector<Atacante> as(size_t(plano.atacantes));
    std::mt19937 sorte(7);
    const std::string corpo(servidor::Tamanho_Bloco, 'X');
    std::vector<pollfd> p;
    std::vector<size_t> qual;
    auto cair = [&](Atacante &a) {
        ::close(a.fd);
        a.fd = -1;
        a.saida.clear();
        a.proximo = Relogio::now() + 100ms;
        ++placar.quedas;
    };
    while (!parar && Relogio::now() < fim) {
        const auto agora = Relogio::now();
        p.clear();
        qual.clear();
        int abertos = 0;
        for (size_t i = 0; i < as.size(); ++i) {
            Atacante &a = as[i];
            if (a.fd < 0 && agora >= a.proximo && (a.fd = Conectar(porta)) >= 0) {
                a.bloco = 1;
                a.devidos = plano.rajada;
                // Paced blocks spread over the interval, so that the attackers do not move together.
                a.proximo = agora + std::chrono::duration_cast<Relogio::duration>(
                                        plano.intervalo * std::uniform_real_distribution<>(0.2, 1.0)(sorte));
            }
            if (a.fd < 0)
                continue;
            ++abertos;
            if (agora >= a.proximo) {
                ++a.devidos;
                a.proximo = agora + plano.intervalo;
            }
            while (a.devidos > 0 && a.saida.size() < 64 * 1024 && a.bloco <= plano.total) {
                a.saida += servidor::Montar_Cabecalho({'1', "X.MMM", a.bloco++, plano.total}) + corpo;
                --a.devidos;
            }
            p.push_back({a.fd, short(POLLIN | (a.saida.empty() ? 0 : POLLOUT)), 0});
            qual.push_back(i);
        }
        placar.conectados = abertos;
        ::poll(p.data(), nfds_t(p.size()), 20);
        for (size_t k = 0; k < p.size(); ++k) {
            Atacante &a = as[qual[k]];
            if (p[k].revents & POLLOUT) {
                const ssize_t n = ::send(a.fd, a.saida.data(), a.saida.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n > 0)
                    a.saida.erase(0, size_t(n));
            }
            if (!(p[k].revents & (POLLIN | POLLERR | POLLHUP)))
                continue;
            char b[4096];
            const ssize_t n = ::recv(a.fd, b, sizeof b, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN))
                cair(a);
        }
    }
    for (auto &a : as)
        if (a.fd >= 0)
            ::close(a.fd);
}

// A delivery paced like the real client: each block, then `pausa` before the reply is read.
// The reply to the last block, or what went wrong.
inline std::string Entregar_Pausado(uint16_t porta, const std::string &arquivo, Relogio::duration pausa)
{
    Cliente_Teste c(porta);
    const int total = Total_Blocos(arquivo);
    for (int i = 1; i <= total; ++i) {
        if (!c.Enviar(Bloco(arquivo, "A.MMM", '1', i, total)))
            return "bloco " + std::to_string(i) + ": envio falhou";
        std::this_thread::sleep_for(pausa);
        const std::string r = i < total ? c.Ler(2, 5000) : c.Ler(23, 10000);
        if (i == total)
            return r;
        if (r != "OK")
            return "bloco " + std::to_string(i) + ": " + (r.empty() ? "sem resposta" : r);
    }
    return {};
}

// An archive of `blocos` blocks (1 to 4) holding a declaration marked `marca`.
inline std::string Arquivo_De_Blocos(int blocos, const std::string &marca)
{
    std::string a;
    for (int linhas = 0; linhas < 200; linhas += 2) {
        a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", linhas, marca)}});
        if (Total_Blocos(a) >= blocos)
            break;
    }
    return a;
}

} // namespace carga
