// Ordinary deliveries while `atacantes` connections fill every client slot of the real server,
// each sending 30 blocks at once, then one block every 25 s (just inside the header deadline),
// and connecting again 100 ms after being dropped. The deliveries (1 to 4 blocks, cycling) are
// paced like the real client, 5.5 s between a block and the reading of its reply, and start
// `espacamento` seconds apart once the attack has gone on for `aquecimento` seconds.
// Bounded: at most `segundos` in all.
// Usage: bench_servidor_retencao [entregas = 8] [aquecimento = 20] [atacantes = 256] [segundos = 150]
#include "bench/servidor/Carga.h"
#include "tests/tools/Processo_Servidor.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <mutex>

int main(int argc, char **argv)
{
    using namespace carga;
    const int entregas = argc > 1 ? std::atoi(argv[1]) : 8;
    const int aquecimento = argc > 2 ? std::atoi(argv[2]) : 20;
    carga::Plano plano;
    plano.atacantes = argc > 3 ? std::atoi(argv[3]) : 256;
    const int segundos = argc > 4 ? std::atoi(argv[4]) : 150;
    constexpr int Espacamento_s = 2;

    QTemporaryDir dir;
    Processo_Servidor s({"--dados", dir.filePath("dados").toStdString()}, dir.filePath("log").toStdString());
    const auto fim = Relogio::now() + std::chrono::seconds(segundos);
    std::atomic<bool> parar{false};
    Placar placar;
    std::thread ataque(Atacar, s.porta, std::cref(plano), fim, std::cref(parar), std::ref(placar));
    std::this_thread::sleep_for(std::chrono::seconds(aquecimento));
    std::printf("após %d s: %d atacantes conectados, %ld quedas\n", aquecimento, placar.conectados.load(),
                placar.quedas.load());

    std::mutex m;
    int recibos = 0;
    std::vector<std::thread> clientes;
    for (int i = 0; i < entregas && Relogio::now() < fim; ++i) {
        clientes.emplace_back([&, i] {
            const int blocos = 1 + i % 4;
            const std::string a = Arquivo_De_Blocos(blocos, "retencao-" + std::to_string(i));
            const auto t = Relogio::now();
            const std::string r = Entregar_Pausado(s.porta, a, 5500ms);
            const double dt = std::chrono::duration<double>(Relogio::now() - t).count();
            std::lock_guard trava(m);
            const bool ok = r.size() == 23 && r[0] == '0';
            recibos += ok;
            std::printf("entrega %d (%d blocos): %5.1f s  %s\n", i + 1, Total_Blocos(a), dt,
                        ok ? "recibo" : ("falha: " + r).c_str());
            std::fflush(stdout);
        });
        std::this_thread::sleep_for(std::chrono::seconds(Espacamento_s));
    }
    for (auto &c : clientes)
        c.join();
    parar = true;
    ataque.join();
    std::printf("%d atacantes (30 blocos de uma vez, depois 1 a cada 25 s): %d de %zu entregas com recibo; "
                "%ld quedas de atacantes\n",
                plano.atacantes, recibos, clientes.size(), placar.quedas.load());
    return recibos == int(clientes.size()) ? 0 : 1;
}
