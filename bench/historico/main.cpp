// Reads a history of many entries (100,000 by default, about 18 MB) and compares the time with
// `wc -l` on the same file; then shows that the memory the reading takes does not grow with N.
// With --busca, times the reprint window's search over a history of 1,000,000 entries side by
// side with `grep -c -F` for the same fixed string over the same file (goal: each search within
// 5x grep's time, and within a second).
// Usage: bench_historico [entries] [repetitions] | bench_historico --busca [entries]
#include "engine/history/Historico.h"
#include "engine/receipt/Registro_Recibo.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Relogio = std::chrono::steady_clock;

void Criar_Historico(const std::string &arquivo, long long n)
{
    std::ofstream f(arquivo, std::ios::binary | std::ios::trunc);
    Dados_Para_Recibo d;
    d.nome_arquivo = "ZELTA.TXT";
    d.declaracao.Tipo_Identificador = "1";
    d.declaracao.Identificador = "12345678000190";
    d.declaracao.Razao_Social = "EMPRESA DE TESTE LTDA";
    d.declaracao.Endereco = "RUA DAS FLORES 10";
    d.declaracao.CEP = "12345678";
    d.declaracao.UF = "SP";
    d.declaracao.Mes_Competencia = "03";
    d.declaracao.Ano_Competencia = "2024";
    for (long long i = 0; i < n; ++i) {
        // One old entry of its own to be found by the search.
        d.declaracao.Razao_Social = i == 3 ? "PADARIA S\xC3O JO\xC3O LTDA" : "EMPRESA DE TESTE LTDA";
        d.declaracao.Identificador = i == 3 ? "11222333000181" : "12345678000190";
        char codigo[16];
        std::snprintf(codigo, sizeof codigo, "%08lld", i % 100000000);
        d.resposta = std::string("0") + codigo + "15012004090507";
        d.declaracao.Total_3 = static_cast<int32_t>(i % 1000000);
        f << Codificar_Linha(Montar_Recibo(d)) << "\r\n";
    }
}

// The time a program takes, process start included, its output thrown away.
double Segundos_Programa(std::vector<std::string> argumentos)
{
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (std::string &a : argumentos)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto inicio = Relogio::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &acoes, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&acoes);
        return -1;
    }
    int estado = 0;
    waitpid(pid, &estado, 0);
    posix_spawn_file_actions_destroy(&acoes);
    return std::chrono::duration<double>(Relogio::now() - inicio).count();
}

double Segundos_Wc(const std::string &arquivo) { return Segundos_Programa({"wc", "-l", arquivo}); }

double Segundos_Leitura(const std::string &arquivo, long long esperado)
{
    const auto inicio = Relogio::now();
    const Leitura_Historico l = Ler_Historico(arquivo);
    const double s = std::chrono::duration<double>(Relogio::now() - inicio).count();
    if (l.total != esperado)
        std::fprintf(stderr, "unexpected count %lld (expected %lld)\n", l.total, esperado);
    return s;
}

long Kb_Status(const char *campo)
{
    std::ifstream f("/proc/self/status");
    std::string linha;
    const std::string prefixo = std::string(campo) + ":";
    while (std::getline(f, linha))
        if (linha.rfind(prefixo, 0) == 0)
            return std::atol(linha.c_str() + prefixo.size());
    return -1;
}

// Peak resident memory added by one reading, in kB, measured in a fresh process of this program
// (in this one the allocator would hand back pages freed by the earlier readings).
long Memoria_Da_Leitura(const std::string &programa, const std::string &arquivo)
{
    const std::string comando = "'" + programa + "' --memoria '" + arquivo + "'";
    FILE *p = popen(comando.c_str(), "r");
    if (!p)
        return -1;
    long kb = -1;
    if (std::fscanf(p, "%ld", &kb) != 1)
        kb = -1;
    pclose(p);
    return kb;
}

int Medir_Memoria(const char *arquivo)
{
    const long antes = Kb_Status("VmRSS");
    Ler_Historico(arquivo);
    std::printf("%ld\n", Kb_Status("VmHWM") - antes);
    return 0;
}

int Medir_Busca(long long n)
{
    char modelo[] = "/tmp/bench_busca_XXXXXX";
    if (!mkdtemp(modelo)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string arquivo = std::string(modelo) + "/Zelta.ret";
    Criar_Historico(arquivo, n);
    std::printf("history: %lld entries, %lld bytes\n", n, n * (Tamanho_Registro + 2));
    Ler_Historico(arquivo); // into the page cache
    bool todas = true, cinco_vezes = true;
    std::printf("  %-20s %8s  %10s  %10s  %6s\n", "text", "found", "search", "grep -c -F", "ratio");
    for (const char *texto : {"00000003", "11.222.333/0001-81", "padaria sao joao", "ZELTA.TXT", "03/2024", "nada"}) {
        double melhor = 1e9, melhor_grep = 1e9;
        long long encontradas = 0;
        for (int i = 0; i < 3; ++i) {
            const auto inicio = Relogio::now();
            encontradas = Procurar_Historico(texto, arquivo).encontradas;
            melhor = std::min(melhor, std::chrono::duration<double>(Relogio::now() - inicio).count());
            melhor_grep = std::min(melhor_grep, Segundos_Programa({"grep", "-c", "-F", texto, arquivo}));
        }
        todas = todas && melhor <= 1.0;
        cinco_vezes = cinco_vezes && melhor <= 5 * melhor_grep;
        std::printf("  %-20s %8lld  %7.1f ms  %7.1f ms  %6.2f\n", texto, encontradas, melhor * 1e3, melhor_grep * 1e3,
                    melhor / melhor_grep);
    }
    std::printf("(best of 3 each, side by side; grep's time includes its process start)\n");
    std::printf("every search within 5x grep -c -F: %s\n", cinco_vezes ? "met" : "MISSED");
    std::printf("every search within 1 s: %s\n", todas ? "met" : "MISSED");
    std::remove(arquivo.c_str());
    rmdir(modelo);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--memoria")
        return Medir_Memoria(argv[2]);
    if (argc >= 2 && std::string(argv[1]) == "--busca")
        return Medir_Busca(argc > 2 ? std::max(1LL, std::atoll(argv[2])) : 1000000);
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) < 0) {
        std::perror("readlink");
        return 1;
    }
    const long long n = argc > 1 ? std::max(1LL, std::atoll(argv[1])) : 100000;
    const int repeticoes = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 100) : 5;

    char modelo[] = "/tmp/bench_historico_XXXXXX";
    if (!mkdtemp(modelo)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string pasta = modelo;
    const std::string grande = pasta + "/Zelta.ret";
    Criar_Historico(grande, n);
    std::printf("history: %lld entries, %lld bytes\n", n, n * (Tamanho_Registro + 2));

    // The first passes bring the file into the page cache for both.
    Segundos_Wc(grande);
    Segundos_Leitura(grande, n);
    double melhor_wc = 1e9, melhor_leitura = 1e9;
    for (int i = 0; i < repeticoes; ++i) {
        melhor_wc = std::min(melhor_wc, Segundos_Wc(grande));
        melhor_leitura = std::min(melhor_leitura, Segundos_Leitura(grande, n));
    }
    const double razao = melhor_leitura / melhor_wc;
    std::printf("Ler_Historico: %.2f ms (best of %d)\n", melhor_leitura * 1e3, repeticoes);
    std::printf("wc -l:         %.2f ms (best of %d, process start included)\n", melhor_wc * 1e3, repeticoes);
    std::printf("ratio: %.2f (goal: within 2x) -> %s\n", razao, razao <= 2.0 ? "met" : "MISSED");

    std::printf("peak memory added by one reading (fresh process each):\n");
    long menor = -1, maior = -1;
    for (long long m : {n / 100, n / 10, n}) {
        const std::string arq = pasta + "/mem.ret";
        if (m < 1)
            continue;
        if (m != n)
            Criar_Historico(arq, m);
        const long kb = Memoria_Da_Leitura(exe, m == n ? grande : arq);
        std::printf("  N = %7lld: %ld kB\n", m, kb);
        menor = menor < 0 ? kb : std::min(menor, kb);
        maior = std::max(maior, kb);
        std::remove(arq.c_str());
    }
    std::printf("peak RSS of this benchmark process: %ld kB\n", Kb_Status("VmHWM"));
    // The reader's block (1 MiB) is touched only as far as a small file reaches: the bound is
    // what counts, not the spread below it.
    std::printf("memory bounded whatever N (at most 2048 kB): %s (largest %ld kB, spread %ld kB)\n",
                maior <= 2048 ? "yes" : "NO", maior, maior - menor);

    std::remove(grande.c_str());
    rmdir(pasta.c_str());
    return 0;
}
