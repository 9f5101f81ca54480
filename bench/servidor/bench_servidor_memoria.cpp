// Peak resident memory of the real server while 16 clients hold uploads of `blocos` blocks of
// a 32767-block archive (almost 32 MB each), and then while 16 clients deliver zip bombs that
// unpack to about 60 MB each (refused after unpacking by the competência setting).
// Bounded: `segundos` in all. Usage: bench_servidor_memoria [blocos = 32766] [segundos = 900]
#include "tests/tools/Processo_Servidor.h"
#include "tests/tools/Cliente_Teste.h"

#include <QTemporaryDir>

#include <atomic>
#include <barrier>
#include <chrono>
#include <thread>

namespace {

using Relogio = std::chrono::steady_clock;
constexpr int Clientes = 16;

// Sends blocks 1..n of a `total`-block upload without waiting between them, then reads the
// n "OK"s; false when the server stops answering.
bool Segurar(Cliente_Teste &c, int n, int total, const std::string &marca, Relogio::time_point fim)
{
    std::string corpo(servidor::Tamanho_Bloco, 'M');
    corpo.replace(0, marca.size(), marca);
    std::string pacote;
    for (int i = 1; i <= n && Relogio::now() < fim; ++i) {
        pacote += servidor::Montar_Cabecalho({'1', "A.MMM", i, total}) + corpo;
        if (pacote.size() >= 256 * 1024 || i == n) {
            if (!c.Enviar(pacote))
                return false;
            pacote.clear();
        }
    }
    size_t oks = 0;
    while (oks < size_t(n) * 2 && Relogio::now() < fim) {
        const std::string r = c.Ler(size_t(n) * 2 - oks, 10000, 10000);
        if (r.empty())
            return false;
        oks += r.size();
    }
    return oks == size_t(n) * 2;
}

// A delivery whose last reply may take long: the bombs wait for their turn to be unpacked.
std::string Entregar_Devagar(uint16_t porta, const std::string &arquivo)
{
    Cliente_Teste c(porta);
    const int total = Total_Blocos(arquivo);
    for (int i = 1; i <= total; ++i) {
        if (!c.Enviar(Bloco(arquivo, "A.MMM", '1', i, total)))
            return "envio falhou";
        if (i < total && c.Ler(2) != "OK")
            return "bloco " + std::to_string(i) + " sem OK";
    }
    return c.Ler(23, 120000);
}

} // namespace

int main(int argc, char **argv)
{
    const int blocos = argc > 1 ? std::atoi(argv[1]) : 32766;
    const int segundos = argc > 2 ? std::atoi(argv[2]) : 900;
    const auto fim = Relogio::now() + std::chrono::seconds(segundos);

    QTemporaryDir dir;
    Processo_Servidor s({"--dados", dir.filePath("dados").toStdString(), "--cota-dados", "4096", "--competencia",
                         "012000"},
                        dir.filePath("log").toStdString());
    const double inicial = s.Memoria_MiB("VmRSS");

    std::atomic<int> seguros{0};
    double segurando = 0;
    {
        std::barrier todos(Clientes + 1);
        std::vector<std::thread> linhas;
        for (int i = 0; i < Clientes; ++i)
            linhas.emplace_back([&, i] {
                Cliente_Teste c(s.porta);
                seguros += Segurar(c, blocos, servidor::Maximo_Blocos, "cliente " + std::to_string(i), fim);
                todos.arrive_and_wait(); // held until the memory was read
                todos.arrive_and_wait();
            });
        todos.arrive_and_wait();
        segurando = s.Memoria_MiB("VmRSS");
        todos.arrive_and_wait();
        for (auto &t : linhas)
            t.join();
    }
    const double pico_envios = s.Memoria_MiB("VmHWM");
    std::printf("%d clientes segurando %d blocos (%.1f MB cada): %d completos; residente %.1f MiB "
                "(%.1f no início), pico %.1f MiB\n",
                Clientes, blocos, blocos * 1e-3, seguros.load(), segurando, inicial, pico_envios);

    std::vector<std::string> bombas;
    for (int i = 0; i < Clientes; ++i) {
        std::string d = Declaracao_Teste("082024", 0, "bomba " + std::to_string(i));
        d.resize(60u << 20, 'B');
        bombas.push_back(Zip_Com({{"A.MMM", d}}, true));
    }
    std::atomic<int> recusadas{0};
    const auto t = Relogio::now();
    {
        std::vector<std::thread> linhas;
        for (int i = 0; i < Clientes; ++i)
            linhas.emplace_back([&, i] {
                const std::string r = Entregar_Devagar(s.porta, bombas[size_t(i)]);
                recusadas += r == "5012000";
                if (r != "5012000")
                    std::printf("bomba %d: resposta \"%s\"\n", i + 1, r.c_str());
            });
        for (auto &l : linhas)
            l.join();
    }
    std::printf("%d bombas de %zu bytes (60 MB descompactadas): %d julgadas em %.1f s; pico residente %.1f MiB\n",
                Clientes, bombas[0].size(), recusadas.load(),
                std::chrono::duration<double>(Relogio::now() - t).count(), s.Memoria_MiB("VmHWM"));
    return seguros == Clientes && recusadas == Clientes && s.Memoria_MiB("VmHWM") < 256 ? 0 : 1;
}
