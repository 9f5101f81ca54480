// Any bytes as what a client sends to the reception server: the session reads them as block
// headers and blocks from a socket pair, and the same bytes go straight to the header reader,
// the archive-end tests, the unpacking and the competence reading.
#include "fuzz/Apoio_Fuzz.h"
#include "tools/servidor/Declaracao.h"
#include "tools/servidor/Fim_Zip.h"
#include "tools/servidor/Opcoes.h"
#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Registro.h"
#include "tools/servidor/Sessao.h"
#include "tools/servidor/Temporario.h"

#include <fcntl.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace servidor;

namespace {

// The data folder: ZELTA_FUZZ_DADOS when set, else a fresh folder in /dev/shm, removed at exit.
std::string Pasta_Dados()
{
    if (const char *p = std::getenv("ZELTA_FUZZ_DADOS"))
        return p;
    static char pasta[] = "/dev/shm/zelta-fuzz-servidor-XXXXXX"; // outlives the exit handler
    EXIGIR(::mkdtemp(pasta));
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(pasta, ec);
    });
    return pasta;
}

Opcoes Opcoes_Fuzz()
{
    Opcoes o;
    o.competencia.aceita = "032024";
    o.competencia.anterior_como_acerto = true;
    o.tempo_ocioso_ms = 1000; // never reached: the client side is shut once everything is written
    o.silencio_ultimo_ms = 0;
    return o;
}

void Sessao(const std::string &bytes, Registro &r)
{
    static const Opcoes o = Opcoes_Fuzz();
    int par[2];
    EXIGIR(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, par) == 0);
    const int buffer = 1 << 20;
    ::setsockopt(par[0], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    ::fcntl(par[0], F_SETFL, O_NONBLOCK);
    EXIGIR(::send(par[0], bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size()));
    ::shutdown(par[0], SHUT_WR);
    static_cast<void>(Atender(par[1], o, r, "fuzz"));
    ::close(par[1]);
    ::close(par[0]);
}

void Pedacos(const std::string &bytes, Registro &r)
{
    std::string erro;
    if (auto c = Ler_Cabecalho(bytes, erro))
        EXIGIR(Montar_Cabecalho(*c) == bytes.substr(0, Tamanho_Cabecalho));
    else
        EXIGIR(!erro.empty());
    static_cast<void>(Zip_Completo(bytes));
    Fim_Zip fim;
    fim.Acrescentar(bytes);
    erro.clear();
    {
        Arquivo_Temporario zip(r.Pasta_Temporaria(), r.Cota()), destino(r.Pasta_Temporaria(), r.Cota());
        EXIGIR(zip.Acrescentar(bytes));
        if (!Desempacotar(zip, destino, erro, 1u << 20))
            EXIGIR(!erro.empty());
    }
    const std::string competencia = Competencia_Declaracao(bytes);
    EXIGIR(competencia.empty() || Competencia_Valida(competencia));
    static const Politica_Competencia politica{"032024", true};
    for (char tipo : {'1', '2'}) {
        const std::string recusa = Julgar_Competencia(politica, tipo, bytes);
        EXIGIR(recusa.empty() || recusa == "5032024" || recusa == "6032024");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    static Registro registro(Pasta_Dados());
    const std::string bytes(reinterpret_cast<const char *>(dados), tamanho);
    Pedacos(bytes, registro);
    Sessao(bytes, registro);
    return 0;
}
