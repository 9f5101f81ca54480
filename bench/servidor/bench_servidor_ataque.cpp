// Latency of ordinary deliveries (three blocks sent back to back) while 500 idle connections
// and 300 that send one header byte every 20 s sit on the real server; an attacker that is
// dropped connects again 100 ms later. Bounded: `entregas` deliveries, `segundos` in all.
// Usage: bench_servidor_ataque [entregas = 15] [segundos = 120] [ociosas = 500] [gotejando = 300]
#include "bench/servidor/Carga.h"
#include "tests/tools/Processo_Servidor.h"
#include "tests/tools/Cliente_Teste.h"

#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

using Relogio = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Atacante {
    int fd = -1;
    bool gotejando = false;
    size_t enviados = 0;
    Relogio::time_point proximo; // the next connection, or the next byte
};

// Keeps the attackers connected until `fim` or `parar`; counts the drops.
void Atacar(uint16_t porta, std::vector<Atacante> &as, Relogio::time_point fim, const std::atomic<bool> &parar,
            std::atomic<long> &quedas, std::atomic<int> &conectadas)
{
    static const std::string cabecalho = "1       A.MMM0000100003";
    std::vector<pollfd> p;
    std::vector<size_t> qual;
    while (!parar && Relogio::now() < fim) {
        const auto agora = Relogio::now();
        p.clear();
        qual.clear();
        int abertas = 0;
        for (size_t i = 0; i < as.size(); ++i) {
            Atacante &a = as[i];
            if (a.fd < 0 && agora >= a.proximo) {
                a.fd = carga::Conectar(porta);
                a.enviados = 0;
                a.proximo = agora; // a trickler sends its first byte at once
            }
            if (a.fd < 0)
                continue;
            ++abertas;
            if (a.gotejando && agora >= a.proximo && a.enviados < cabecalho.size()) {
                if (::send(a.fd, cabecalho.data() + a.enviados, 1, MSG_NOSIGNAL) == 1)
                    ++a.enviados;
                a.proximo = agora + 20s;
            }
            p.push_back({a.fd, POLLIN, 0});
            qual.push_back(i);
        }
        conectadas = abertas;
        ::poll(p.data(), nfds_t(p.size()), 50);
        for (size_t k = 0; k < p.size(); ++k) {
            if (!p[k].revents)
                continue;
            char b[64];
            const ssize_t n = ::recv(p[k].fd, b, sizeof b, MSG_DONTWAIT);
            if (n > 0 || (n < 0 && errno == EAGAIN))
                continue;
            Atacante &a = as[qual[k]];
            ::close(a.fd);
            a.fd = -1;
            a.proximo = Relogio::now() + 100ms;
            ++quedas;
        }
    }
    for (auto &a : as)
        if (a.fd >= 0)
            ::close(a.fd);
}

} // namespace

int main(int argc, char **argv)
{
    const int entregas = argc > 1 ? std::atoi(argv[1]) : 15;
    const int segundos = argc > 2 ? std::atoi(argv[2]) : 120;
    const int ociosas = argc > 3 ? std::atoi(argv[3]) : 500;
    const int gotejando = argc > 4 ? std::atoi(argv[4]) : 300;

    QTemporaryDir dir;
    Processo_Servidor s({"--dados", dir.filePath("dados").toStdString()}, dir.filePath("log").toStdString());
    const auto inicio = Relogio::now();
    const auto fim = inicio + std::chrono::seconds(segundos);

    std::vector<Atacante> as(size_t(ociosas + gotejando));
    for (size_t i = size_t(ociosas); i < as.size(); ++i)
        as[i].gotejando = true;
    std::atomic<bool> parar{false};
    std::atomic<long> quedas{0};
    std::atomic<int> conectadas{0};
    std::thread ataque(Atacar, s.porta, std::ref(as), fim, std::cref(parar), std::ref(quedas), std::ref(conectadas));
    std::this_thread::sleep_for(5s); // every attacker has connected once

    std::vector<double> tempos;
    int recibos = 0;
    for (int i = 0; i < entregas && Relogio::now() < fim; ++i) {
        const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 85, "ataque-" + std::to_string(i))}});
        const auto t = Relogio::now();
        const std::string r = Entregar(s.porta, a);
        tempos.push_back(std::chrono::duration<double>(Relogio::now() - t).count());
        recibos += r.size() == 23 && r[0] == '0';
        std::printf("entrega %2d: %6.3f s  %s  (atacantes conectados: %d, quedas: %ld)\n", i + 1, tempos.back(),
                    r.size() == 23 ? "recibo" : ("falha: " + r).c_str(), conectadas.load(), quedas.load());
        std::this_thread::sleep_for(2s);
    }
    parar = true;
    ataque.join();
    std::sort(tempos.begin(), tempos.end());
    const long dentro = std::count_if(tempos.begin(), tempos.end(), [](double t) { return t <= 5; });
    std::printf("%d ociosas + %d gotejando: %d de %zu entregas com recibo, %ld em até 5 s; "
                "mediana %.3f s, máximo %.3f s; %ld quedas de atacantes\n",
                ociosas, gotejando, recibos, tempos.size(), dentro,
                tempos.empty() ? 0 : tempos[tempos.size() / 2], tempos.empty() ? 0 : tempos.back(), quedas.load());
    return recibos == int(tempos.size()) && dentro == long(tempos.size()) ? 0 : 1;
}
