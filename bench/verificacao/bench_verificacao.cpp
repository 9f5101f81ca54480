// Times the check pass (one read: type, mark, integrity value, header, counters) over a generated
// movement file and adjustment file, each beside a minimal loop that only finds line ends and
// chains zlib's crc32 over the same file, in process CPU time, and reports peak memory.
// Goals: the check within 1.1x the reference's CPU time for both files, peak RSS < 50 MB.
//   bench_verificacao [size in MB, default 100]
#include "engine/intake/Verificacao.h"
#include "tools/declaracao/Gerador.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

namespace {
using Relogio = std::chrono::steady_clock;
constexpr double Meta = 1.1;
using declaracao::Gerar_Arquivo;
using declaracao::Opcoes_Geracao;

// The least a check must do: read in 1 MB blocks, find line ends, chain a crc per line.
uLong Referencia(const std::string &caminho)
{
    const int fd = ::open(caminho.c_str(), O_RDONLY);
    if (fd < 0) {
        std::perror(caminho.c_str());
        std::exit(1);
    }
    constexpr std::size_t Bloco = 1 << 20;
    auto buf = std::make_unique<char[]>(Bloco);
    uLong cadeia = 0, linha = crc32(0, nullptr, 0);
    bool depois_cr = false;
    ssize_t n;
    while ((n = ::read(fd, buf.get(), Bloco)) > 0) {
        const char *p = buf.get(), *fim = p + n;
        if (depois_cr && *p == '\n')
            ++p;
        depois_cr = false;
        while (p < fim) {
            const char *cr = static_cast<const char *>(std::memchr(p, '\r', static_cast<std::size_t>(fim - p)));
            const char *ate = cr ? cr : fim;
            linha = crc32(linha, reinterpret_cast<const Bytef *>(p), static_cast<uInt>(ate - p));
            if (!cr)
                break;
            cadeia = (cadeia ^ linha) % 99999 + 1;
            linha = crc32(0, nullptr, 0);
            p = cr + 1;
            if (p < fim && *p == '\n')
                ++p;
            else if (p == fim)
                depois_cr = true;
        }
    }
    ::close(fd);
    return cadeia;
}

// CPU time of the process (user and system), in seconds.
double Cpu()
{
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    const auto s = [](const timeval &t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(uso.ru_utime) + s(uso.ru_stime);
}

double Segundos(Relogio::time_point inicio)
{
    return std::chrono::duration<double>(Relogio::now() - inicio).count();
}

long Pico_Rss_Kb()
{
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return uso.ru_maxrss;
}

struct Medida {
    double referencia = 1e9, total = 1e9;      // CPU seconds, best round
    double parede_ref = 1e9, parede = 1e9;     // wall seconds, best round
};

// Best of five alternating rounds over one generated file, deleted afterwards.
Medida Medir(const QTemporaryDir &pasta, Opcoes_Geracao o, const char *rotulo)
{
    o.saida = pasta.filePath("BENCH.MOV").toStdString();
    Gerar_Arquivo(o);
    const double tamanho_mb = static_cast<double>(std::filesystem::file_size(o.saida)) / (1024 * 1024);
    const int32_t esperado = o.tipo == 1 ? static_cast<int32_t>(o.movimentos) : static_cast<int32_t>(o.acertos + 1);
    Medida m;
    uLong eco = 0;
    for (int rodada = 0; rodada < 5; ++rodada) {
        auto t = Relogio::now();
        double c = Cpu();
        eco ^= Referencia(o.saida);
        m.referencia = std::min(m.referencia, Cpu() - c);
        m.parede_ref = std::min(m.parede_ref, Segundos(t));

        t = Relogio::now();
        c = Cpu();
        Dados_Declaracao d;
        const Resultado_Verificacao r = Verificar_Declaracao(o.saida, d);
        m.total = std::min(m.total, Cpu() - c);
        m.parede = std::min(m.parede, Segundos(t));
        if (r != Resultado_Verificacao::Aceito || d.Tipo_Arquivo != o.tipo || d.Total_2 != esperado) {
            std::fprintf(stderr, "the generated file was not accepted as expected\n");
            std::exit(1);
        }
    }
    std::filesystem::remove(o.saida);
    std::printf("%s: %.1f MB\n", rotulo, tamanho_mb);
    std::printf("  reference (1 MB blocks, memchr, crc32 per line): CPU %.3f s, wall %.3f s, %.0f MB/s (%lu)\n",
                m.referencia, m.parede_ref, tamanho_mb / m.parede_ref, eco % 10);
    std::printf("  check pass: CPU %.3f s, wall %.3f s, %.0f MB/s, %.2fx reference CPU (goal <= %.1fx)\n", m.total,
                m.parede, tamanho_mb / m.parede, m.total / m.referencia, Meta);
    return m;
}
} // namespace

int main(int argc, char **argv)
{
    const long long mb = argc > 1 ? std::atoll(argv[1]) : 100;
    if (mb <= 0 || mb > 4000) {
        std::fprintf(stderr, "uso: bench_verificacao [tamanho em MB, 1-4000]\n");
        return 2;
    }
    QTemporaryDir pasta;
    const long long registros = mb * 1024 * 1024 / 152;

    Opcoes_Geracao movimento;
    movimento.movimentos = registros;
    movimento.pis_zerados = registros / 10;
    const Medida a = Medir(pasta, movimento, "movement file");

    // An adjustment file: no "C" line settles the type early.
    Opcoes_Geracao acerto;
    acerto.tipo = 2;
    acerto.movimentos = 0;
    acerto.acertos = registros;
    const Medida b = Medir(pasta, acerto, "adjustment file");

    const long rss = Pico_Rss_Kb();
    std::printf("peak RSS: %.1f MB (goal < 50 MB)\n", static_cast<double>(rss) / 1024.0);
    const bool ok = a.total <= Meta * a.referencia && b.total <= Meta * b.referencia && rss < 50 * 1024;
    return ok ? 0 : 3;
}
