// Deliveries per second from 20 concurrent clients on loopback, each sending distinct
// three-block archives. Bounded: at most `entregas` per client and `segundos` in all.
// Usage: bench_servidor [entregas por cliente = 25] [segundos = 30]
#include "tests/tools/Cliente_Teste.h"

#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char **argv)
{
    constexpr int Clientes = 20;
    const int entregas = argc > 1 ? std::atoi(argv[1]) : 25;
    const int segundos = argc > 2 ? std::atoi(argv[2]) : 30;

    QTemporaryDir dir;
    auto o = Opcoes_Teste(dir.path().toStdString());
    std::fclose(stderr); // one log line per delivery would measure the terminal
    Servidor_Teste s(o);

    using Relogio = std::chrono::steady_clock;
    const auto inicio = Relogio::now();
    const auto limite = inicio + std::chrono::seconds(segundos);
    std::atomic<int> aceitas{0}, falhas{0};
    std::vector<std::thread> linhas;
    for (int c = 0; c < Clientes; ++c)
        linhas.emplace_back([&, c] {
            for (int i = 0; i < entregas && Relogio::now() < limite; ++i) {
                const std::string marca = std::to_string(c) + "-" + std::to_string(i);
                const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 85, marca)}});
                const std::string r = Entregar(s.porta, a);
                (r.size() == 23 && r[0] == '0' ? aceitas : falhas)++;
            }
        });
    for (auto &t : linhas)
        t.join();
    const double tempo = std::chrono::duration<double>(Relogio::now() - inicio).count();
    std::printf("%d clientes: %d entregas aceitas, %d falhas em %.2f s: %.1f entregas/s\n", Clientes,
                aceitas.load(), falhas.load(), tempo, aceitas / tempo);
    return falhas == 0 ? 0 : 1;
}
