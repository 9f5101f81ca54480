// Ordinary deliveries (1 to 4 blocks, cycling, sent back to back) while `atacantes`
// connections push uploads of `blocos` blocks each as fast as the server takes them, then hold
// them (a block every 20 s), connecting again 100 ms after being dropped: together they would
// hold more than the data folder's quota (`cota` MB). Bounded: `entregas` deliveries, 2 s
// apart, after `aquecimento` seconds of attack; `segundos` in all.
// Usage: bench_servidor_cota [entregas = 8] [cota = 128] [blocos = 4000] [atacantes = 36]
//                            [aquecimento = 20] [segundos = 120]
// (bench_servidor_cota 8 1024 31000 36 60 300 is the attack at full scale.)
#include "bench/servidor/Carga.h"
#include "tests/tools/Processo_Servidor.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    using namespace carga;
    const int entregas = argc > 1 ? std::atoi(argv[1]) : 8;
    const std::string cota = argc > 2 ? argv[2] : "128";
    carga::Plano plano;
    plano.rajada = argc > 3 ? std::atoi(argv[3]) : 4000;
    plano.atacantes = argc > 4 ? std::atoi(argv[4]) : 36;
    const int aquecimento = argc > 5 ? std::atoi(argv[5]) : 20;
    const int segundos = argc > 6 ? std::atoi(argv[6]) : 120;
    plano.intervalo = 20s;

    QTemporaryDir dir;
    Processo_Servidor s({"--dados", dir.filePath("dados").toStdString(), "--cota-dados", cota},
                        dir.filePath("log").toStdString());
    const auto fim = Relogio::now() + std::chrono::seconds(segundos);
    std::atomic<bool> parar{false};
    Placar placar;
    std::thread ataque(Atacar, s.porta, std::cref(plano), fim, std::cref(parar), std::ref(placar));
    std::this_thread::sleep_for(std::chrono::seconds(aquecimento));

    int recibos = 0, feitas = 0;
    for (int i = 0; i < entregas && Relogio::now() < fim; ++i, ++feitas) {
        const std::string a = Arquivo_De_Blocos(1 + i % 4, "cota-" + std::to_string(i));
        const auto t = Relogio::now();
        const std::string r = Entregar(s.porta, a);
        const bool ok = r.size() == 23 && r[0] == '0';
        recibos += ok;
        std::printf("entrega %d (%d blocos): %6.3f s  %s  (atacantes conectados: %d, quedas: %ld)\n", i + 1,
                    Total_Blocos(a), std::chrono::duration<double>(Relogio::now() - t).count(),
                    ok ? "recibo" : ("falha: " + r).c_str(), placar.conectados.load(), placar.quedas.load());
        std::fflush(stdout);
        std::this_thread::sleep_for(2s);
    }
    parar = true;
    ataque.join();
    std::printf("%d atacantes de %d blocos, cota de %s MB: %d de %d entregas com recibo; %ld quedas de atacantes\n",
                plano.atacantes, plano.rajada, cota.c_str(), recibos, feitas, placar.quedas.load());
    return recibos == feitas ? 0 : 1;
}
