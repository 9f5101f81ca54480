// Batch delivery against the local reception server (zelta-servidor, its own process, loopback)
// with the real clock. Goals: 8 files at 4 at once within 2.6x the wall time of one file; 32 files
// at 8 within 1.3x of ceil(32/8) single deliveries; client CPU under 2% of the wall time.
#include "tests/common/Declaracao_Teste.h"
#include "engine/platform/Descritor.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Socketout.h"
#include "engine/transmit/Lote.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace {
double Cpu_Do_Processo_Ms()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3
           + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// A loopback port nobody listens on now: the system picks one for a socket bound to port 0.
uint16_t Porta_Livre()
{
    const sistema::Descritor s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tamanho = sizeof a;
    if (::bind(s.Fd(), reinterpret_cast<sockaddr *>(&a), sizeof a) != 0
        || ::getsockname(s.Fd(), reinterpret_cast<sockaddr *>(&a), &tamanho) != 0)
        return 0;
    return ntohs(a.sin_port);
}

struct Medida {
    double parede_ms = 0, cpu_ms = 0;
    bool todas_aceitas = false;
};

int Serie = 0;

Medida Entregar(int arquivos, int paralelas, uint16_t porta)
{
    std::vector<std::string> nomes;
    for (int i = 0; i < arquivos; ++i) {
        const std::string nome = "L" + std::to_string(++Serie) + ".MOV";
        Opcoes_Geracao o = Declaracao_Padrao(nome);
        o.razao_social = "EMPRESA " + std::to_string(Serie);
        Gerar_Arquivo(o);
        nomes.push_back(nome);
    }
    Ajustes_Lote a;
    a.servidor = "127.0.0.1";
    a.porta = porta;
    a.paralelas = paralelas;
    const std::atomic<bool> nunca{false};
    Medida m;
    QElapsedTimer t;
    t.start();
    const double cpu0 = Cpu_Do_Processo_Ms();
    const auto r = Transmitir_Lote(nomes, a, {}, nunca);
    m.cpu_ms = Cpu_Do_Processo_Ms() - cpu0;
    m.parede_ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    m.todas_aceitas = std::all_of(r.begin(), r.end(), [](const Resultado_Entrega &e) {
        return e.situacao == Situacao_Entrega::Aceita;
    });
    return m;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir pasta;
    QDir::setCurrent(pasta.path());
    QDir().mkdir("dados");

    const uint16_t porta = Porta_Livre();
    QProcess servidor;
    servidor.start(ZELTA_SERVIDOR_BINARIO, {"--porta", QString::number(porta), "--escuta", "127.0.0.1", "--dados",
                                            "dados", "--competencia", "032024"});
    if (!servidor.waitForStarted(5000)) {
        std::fprintf(stderr, "the reception server did not start\n");
        return 1;
    }
    bool pronto = false;
    for (int i = 0; i < 100 && !pronto; ++i) { // up to 10 s for it to listen
        Socketout s;
        s.Host_Remoto = "127.0.0.1";
        s.Porta_Remota = porta;
        try {
            s.Abrir_Conexao();
            pronto = true;
        } catch (const Erro_Execucao &) {
        }
        if (!pronto)
            servidor.waitForFinished(100);
    }
    if (!pronto) {
        std::fprintf(stderr, "the reception server does not listen on %u\n", porta);
        return 1;
    }

    const Medida uma = Entregar(1, 1, porta);
    const Medida oito = Entregar(8, 4, porta);
    const Medida trinta_e_duas = Entregar(32, 8, porta);
    servidor.terminate();
    servidor.waitForFinished(5000);

    const double r8 = oito.parede_ms / uma.parede_ms;
    const double r32 = trinta_e_duas.parede_ms / (std::ceil(32.0 / 8) * uma.parede_ms);
    const double cpu = 100 * (uma.cpu_ms + oito.cpu_ms + trinta_e_duas.cpu_ms)
                       / (uma.parede_ms + oito.parede_ms + trinta_e_duas.parede_ms);
    std::printf("1 file:          %.0f ms\n", uma.parede_ms);
    std::printf("8 files at 4:    %.0f ms = %.2fx one file (goal <= 2.6, ideal 2)\n", oito.parede_ms, r8);
    std::printf("32 files at 8:   %.0f ms = %.2fx of 4 single deliveries (goal <= 1.3)\n", trinta_e_duas.parede_ms,
                r32);
    std::printf("client CPU:      %.0f ms = %.3f%% of the wall time (goal < 2%%)\n",
                uma.cpu_ms + oito.cpu_ms + trinta_e_duas.cpu_ms, cpu);
    const bool aceitas = uma.todas_aceitas && oito.todas_aceitas && trinta_e_duas.todas_aceitas;
    if (!aceitas)
        std::fprintf(stderr, "some delivery was not accepted\n");
    return aceitas && r8 <= 2.6 && r32 <= 1.3 && cpu < 2 ? 0 : 1;
}
