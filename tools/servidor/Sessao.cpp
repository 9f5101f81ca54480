#include "tools/servidor/Sessao.h"

#include "tools/servidor/Declaracao.h"
#include "tools/servidor/Registro.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

namespace servidor {

namespace {

constexpr int Espera_Sem_Resposta_ms = 15 * 60 * 1000;

enum class Leitura { Completa, Fechada, Ociosa, Falha };

// Waits up to `ms` for bytes; Completa when some can be read.
Leitura Esperar(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    if (r < 0)
        return Leitura::Falha;
    return r == 0 ? Leitura::Ociosa : Leitura::Completa;
}

// Appends up to `n` bytes to `destino`; whatever arrives at once, after at most `ms` of silence.
Leitura Ler_Algo(int fd, std::string &destino, size_t n, int ms)
{
    Leitura e = Esperar(fd, ms);
    if (e != Leitura::Completa)
        return e;
    const size_t antes = destino.size();
    destino.resize(antes + n);
    ssize_t r;
    do {
        r = ::recv(fd, destino.data() + antes, n, 0);
    } while (r < 0 && errno == EINTR);
    destino.resize(antes + (r > 0 ? size_t(r) : 0));
    if (r == 0)
        return Leitura::Fechada;
    return r < 0 ? Leitura::Falha : Leitura::Completa;
}

// Appends exactly `n` bytes unless the client closes, fails or is silent for `ms`.
Leitura Ler_Exato(int fd, std::string &destino, size_t n, int ms)
{
    const size_t alvo = destino.size() + n;
    while (destino.size() < alvo) {
        Leitura e = Ler_Algo(fd, destino, alvo - destino.size(), ms);
        if (e != Leitura::Completa)
            return e;
    }
    return Leitura::Completa;
}

// The last block has no length: it ends with the archive's closing record, at 1000 bytes,
// or when the client has been quiet for a while.
Leitura Ler_Ultimo_Bloco(int fd, Montagem &m, const Opcoes &o)
{
    size_t lidos = 0;
    while (lidos < Tamanho_Bloco) {
        std::string dados;
        Leitura e = Ler_Algo(fd, dados, Tamanho_Bloco - lidos, o.silencio_ultimo_ms);
        if (e == Leitura::Ociosa)
            break;
        if (e != Leitura::Completa)
            return e;
        m.Acrescentar(dados);
        lidos += dados.size();
        if (Zip_Completo(m.Arquivo()))
            break;
    }
    return Leitura::Completa;
}

Leitura Ler_Bloco(int fd, Montagem &m, const Opcoes &o)
{
    if (m.Ultimo())
        return Ler_Ultimo_Bloco(fd, m, o);
    std::string dados;
    Leitura e = Ler_Exato(fd, dados, Tamanho_Bloco, o.tempo_ocioso_ms);
    m.Acrescentar(dados);
    return e;
}

bool Enviar(int fd, std::string_view s)
{
    while (!s.empty()) {
        ssize_t n = ::send(fd, s.data(), s.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        s.remove_prefix(size_t(n));
    }
    return true;
}

const char *Motivo(Leitura e)
{
    switch (e) {
    case Leitura::Fechada: return "o cliente fechou a conexão";
    case Leitura::Ociosa: return "cliente ocioso por tempo demais";
    case Leitura::Falha: return std::strerror(errno);
    default: return "";
    }
}

void Pausa_Ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

} // namespace

void Registrar_Log(const std::string &linha)
{
    static std::mutex m;
    std::lock_guard t(m);
    std::fprintf(stderr, "zelta-servidor: %s\n", linha.c_str());
}

std::string Resposta_Ultimo_Bloco(const Montagem &m, const Opcoes &o, Registro &r, std::time_t agora,
                                  std::string &nota)
{
    if (o.resposta_fixa) {
        nota = "resposta fixa";
        return *o.resposta_fixa;
    }
    std::string erro;
    auto declaracao = Desempacotar(m.Arquivo(), erro);
    if (!declaracao) {
        nota = "descompactação falhou: " + erro;
        return Resposta_Descompactacao;
    }
    const char tipo = m.Primeiro().tipo;
    if (auto antes = r.Procurar(*declaracao)) {
        nota = "já entregue com o código " + std::to_string(antes->codigo);
        return Resposta_Recibo('7', antes->codigo, antes->data_hora);
    }
    std::string recusa = Julgar_Competencia(o.competencia, tipo, *declaracao);
    if (!recusa.empty()) {
        nota = "competência recusada (" + Competencia_Declaracao(*declaracao) + ")";
        return recusa;
    }
    Entrega e = r.Registrar(*declaracao, m.Primeiro().nome, tipo, agora);
    nota = (e.repetida ? "já entregue com o código " : "recebido com o código ") + std::to_string(e.codigo);
    return Resposta_Recibo(e.repetida ? '7' : '0', e.codigo, e.data_hora);
}

Fim_Sessao Atender(int fd, const Opcoes &o, Registro &r, const std::string &par)
{
    auto log = [&](const std::string &s) { Registrar_Log(par + ": " + s); };
    if (o.aceite_lento_ms > 0)
        Pausa_Ms(o.aceite_lento_ms);
    Montagem m;
    for (;;) {
        std::string cabecalho;
        Leitura e = Ler_Exato(fd, cabecalho, Tamanho_Cabecalho, o.tempo_ocioso_ms);
        if (e == Leitura::Fechada && cabecalho.empty() && m.Recebidos() == 0)
            return Fim_Sessao::Fechar; // a client that leaves between uploads
        if (e == Leitura::Fechada && cabecalho.empty()) {
            log("o cliente saiu no meio do envio, após o bloco " + std::to_string(m.Recebidos()));
            return Fim_Sessao::Fechar;
        }
        if (e != Leitura::Completa) {
            log(std::string("cabeçalho incompleto, conexão descartada: ") + Motivo(e));
            return Fim_Sessao::Fechar;
        }
        std::string erro;
        auto c = Ler_Cabecalho(cabecalho, erro);
        if (!c || !m.Aceitar(*c, erro)) {
            log(erro + ", conexão descartada");
            return Fim_Sessao::Fechar;
        }
        e = Ler_Bloco(fd, m, o);
        if (e != Leitura::Completa) {
            log("bloco " + std::to_string(c->bloco) + " incompleto, conexão descartada: " + Motivo(e));
            return Fim_Sessao::Fechar;
        }
        if (c->bloco == o.reset_apos) {
            log("reset após o bloco " + std::to_string(c->bloco));
            return Fim_Sessao::Resetar;
        }
        if (c->bloco == o.fechar_apos) {
            log("fechamento após o bloco " + std::to_string(c->bloco));
            return Fim_Sessao::Fechar;
        }
        if (!m.Ultimo()) {
            if (!Enviar(fd, Resposta_Intermediaria))
                return Fim_Sessao::Fechar;
            continue;
        }

        std::string nota, resposta;
        try {
            resposta = Resposta_Ultimo_Bloco(m, o, r, std::time(nullptr), nota);
        } catch (const std::exception &x) {
            log(std::string("entrega não registrada: ") + x.what());
            return Fim_Sessao::Fechar;
        }
        log(c->nome + " (" + std::to_string(c->total) + " blocos): " + nota);
        m = Montagem();
        if (o.sem_resposta) {
            // Keep the client waiting (it asks its user whether to go on) until it gives up.
            std::string descarte;
            while (Ler_Algo(fd, descarte, 4096, Espera_Sem_Resposta_ms) == Leitura::Completa)
                descarte.clear();
            return Fim_Sessao::Fechar;
        }
        if (o.resposta_partida_ms >= 0 && resposta.size() > 1) {
            const size_t meio = resposta.size() / 2;
            if (!Enviar(fd, std::string_view(resposta).substr(0, meio)))
                return Fim_Sessao::Fechar;
            Pausa_Ms(o.resposta_partida_ms);
            resposta.erase(0, meio);
        }
        if (!Enviar(fd, resposta))
            return Fim_Sessao::Fechar;
    }
}

} // namespace servidor
