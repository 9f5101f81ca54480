#include "tools/servidor/Sessao.h"

#include "tools/servidor/Declaracao.h"
#include "tools/servidor/Espaco_Envios.h"
#include "engine/platform/Descritor.h"
#include "tools/servidor/Fim_Zip.h"
#include "tools/servidor/Log.h"
#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Registro.h"
#include "tools/servidor/Temporario.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <semaphore>
#include <thread>

namespace servidor {

namespace {

using Relogio = std::chrono::steady_clock;

constexpr int Espera_Sem_Resposta_ms = 15 * 60 * 1000;
// Archives unpacked at once, whatever the number of clients: unpacking is what costs.
std::counting_semaphore<> julgamentos(4);

enum class Leitura { Completa, Fechada, Ociosa, Falha };

int Ms_Ate(Relogio::time_point t)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - Relogio::now()).count();
    return int(std::clamp<decltype(ms)>(ms, 0, 1 << 30));
}

Relogio::time_point Prazo(int ms, Relogio::time_point limite)
{
    return std::min(Relogio::now() + std::chrono::milliseconds(ms), limite);
}

// Appends up to `n` bytes to `destino`: whatever arrives at once, after at most `ms` of silence.
Leitura Ler_Algo(int fd, std::string &destino, size_t n, int ms)
{
    const int e = sistema::Esperar_Leitura(fd, ms);
    if (e <= 0)
        return e == 0 ? Leitura::Ociosa : Leitura::Falha;
    const size_t antes = destino.size();
    destino.resize(antes + n);
    const ssize_t r = sistema::Receber(fd, destino.data() + antes, n);
    destino.resize(antes + (r > 0 ? size_t(r) : 0));
    if (r == 0)
        return Leitura::Fechada;
    return r < 0 ? Leitura::Falha : Leitura::Completa;
}

// Appends exactly `n` bytes unless the client closes, fails or `prazo` passes first.
Leitura Ler_Ate(int fd, std::string &destino, size_t n, Relogio::time_point prazo)
{
    const size_t alvo = destino.size() + n;
    while (destino.size() < alvo) {
        const Leitura e = Ler_Algo(fd, destino, alvo - destino.size(), Ms_Ate(prazo));
        if (e != Leitura::Completa)
            return e;
    }
    return Leitura::Completa;
}

// One upload as received so far; its archive bytes wait in a temporary file, counted in the
// share of the uploads in progress.
struct Envio {
    Envio(Espaco_Envios &espaco, int fd) : espaco_(espaco), fd_(fd) {}

    // The upload's part of the share, taken with its first block: a connection that sends
    // none holds nothing.
    Reserva_Envio &Reserva()
    {
        if (!reserva_)
            reserva_.emplace(espaco_, [fd = fd_] { ::shutdown(fd, SHUT_RDWR); });
        return *reserva_;
    }
    bool Descartada() const { return reserva_ && reserva_->Descartada(); }

private:
    Espaco_Envios &espaco_;
    int fd_;
    std::optional<Reserva_Envio> reserva_; // outlives the file, which gives its bytes back to it

public:
    Montagem montagem;
    std::unique_ptr<Arquivo_Temporario> arquivo;
    Fim_Zip fim;
    bool sem_espaco = false; // a block found no room: the upload will be answered "8"

    // Ready for the connection's next upload.
    void Recomecar()
    {
        arquivo.reset();
        montagem = Montagem();
        fim = Fim_Zip();
        sem_espaco = false;
        if (reserva_)
            reserva_->Julgando(false);
    }

    void Guardar(std::string_view dados)
    {
        fim.Acrescentar(dados);
        if (!sem_espaco && !arquivo->Acrescentar(dados))
            sem_espaco = true;
    }
};

// The last block has no length. It ends at 1000 bytes or with the archive's end record; while
// the archive's own records announce bytes still to come, they are waited for up to the
// block's deadline; when they cannot tell (not a zip, sizes after the data), after a quiet time.
Leitura Ler_Ultimo_Bloco(int fd, Envio &e, const Opcoes &o, Relogio::time_point prazo)
{
    size_t lidos = 0;
    while (lidos < Tamanho_Bloco) {
        int espera = Ms_Ate(prazo);
        const Fim_Zip::Estado s = e.fim.Situacao();
        if (s == Fim_Zip::Estado::Completo && lidos > 0)
            break;
        if (s != Fim_Zip::Estado::Faltam) {
            if (lidos > 0 && Zip_Completo(e.arquivo->Cauda(Maior_Registro_Final), e.arquivo->Tamanho()))
                break;
            espera = std::min(espera, o.silencio_ultimo_ms);
        }
        std::string dados;
        const Leitura l = Ler_Algo(fd, dados, Tamanho_Bloco - lidos, espera);
        if (l == Leitura::Ociosa)
            break; // judged as it stands
        if (l != Leitura::Completa)
            return l;
        e.Guardar(dados);
        lidos += dados.size();
    }
    return Leitura::Completa;
}

const char *Motivo(Leitura e)
{
    switch (e) {
    case Leitura::Fechada: return "o cliente fechou a conexão";
    case Leitura::Ociosa: return "prazo esgotado";
    case Leitura::Falha: return std::strerror(errno);
    default: return "";
    }
}

void Pausa_Ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Vez_De_Julgar {
    Vez_De_Julgar() { julgamentos.acquire(); }
    ~Vez_De_Julgar() { julgamentos.release(); }
    Vez_De_Julgar(const Vez_De_Julgar &) = delete;
    Vez_De_Julgar &operator=(const Vez_De_Julgar &) = delete;
};

// The reply to an upload's last block: "8", "7…", "5…"/"6…" or the receipt "0…".
// `nota` tells the log what was decided.
std::string Resposta_Ultimo_Bloco(const Envio &e, const Opcoes &o, Registro &r, std::time_t agora,
                                  std::string &nota)
{
    if (o.resposta_fixa) {
        nota = "resposta fixa";
        return *o.resposta_fixa;
    }
    if (e.sem_espaco) {
        nota = "sem espaço para o envio: a pasta de dados chegou à cota, ou a gravação falhou";
        return Resposta_Descompactacao;
    }
    Arquivo_Temporario arquivo(r.Pasta_Temporaria(), r.Cota());
    std::string erro;
    std::optional<Declaracao_Desempacotada> declaracao;
    {
        Vez_De_Julgar vez;
        declaracao = Desempacotar(*e.arquivo, arquivo, erro);
    }
    if (!declaracao) {
        nota = "descompactação falhou: " + erro;
        return Resposta_Descompactacao;
    }
    const char tipo = e.montagem.Primeiro().tipo;
    if (auto antes = r.Procurar(declaracao->resumo)) {
        nota = "já entregue com o código " + std::to_string(antes->codigo);
        return Resposta_Recibo('7', antes->codigo, antes->data_hora);
    }
    if (!declaracao->gravada) {
        nota = erro;
        return Resposta_Descompactacao;
    }
    std::string recusa = Julgar_Competencia(o.competencia, tipo, declaracao->inicio);
    if (!recusa.empty()) {
        nota = "competência recusada (" + Competencia_Declaracao(declaracao->inicio) + ")";
        return recusa;
    }
    Entrega en = r.Registrar(arquivo, declaracao->resumo, e.montagem.Primeiro().nome, tipo, agora);
    nota = (en.repetida ? "já entregue com o código " : "recebido com o código ") + std::to_string(en.codigo);
    return Resposta_Recibo(en.repetida ? '7' : '0', en.codigo, en.data_hora);
}

} // namespace

Fim_Sessao Atender(int fd, const Opcoes &o, Registro &r, const std::string &par, Progresso *progresso)
{
    Progresso proprio;
    Progresso &p = progresso ? *progresso : proprio;
    auto log = [&](const std::string &s) { Registrar_Log(par + ": " + s); };
    if (o.aceite_lento_ms > 0)
        Pausa_Ms(o.aceite_lento_ms);
    const auto fim_conexao = Relogio::now() + std::chrono::milliseconds(o.tempo_conexao_ms);
    Envio e(r.Envios(), fd);
    auto descartado = [&] {
        return "envio descartado após o bloco " + std::to_string(e.montagem.Recebidos()) +
               ": os envios em curso chegaram à sua cota e este era o maior";
    };
    for (;;) {
        std::string cabecalho;
        Leitura l = Ler_Ate(fd, cabecalho, Tamanho_Cabecalho, Prazo(o.tempo_ocioso_ms, fim_conexao));
        if (l != Leitura::Completa && e.Descartada()) {
            log(descartado());
            return Fim_Sessao::Fechar;
        }
        if (l == Leitura::Fechada && cabecalho.empty() && e.montagem.Recebidos() == 0)
            return Fim_Sessao::Fechar; // a client that leaves between uploads
        if (l == Leitura::Fechada && cabecalho.empty()) {
            log("o cliente saiu no meio do envio, após o bloco " + std::to_string(e.montagem.Recebidos()));
            return Fim_Sessao::Fechar;
        }
        if (l != Leitura::Completa) {
            log(std::string("cabeçalho incompleto, conexão descartada: ") + Motivo(l));
            return Fim_Sessao::Fechar;
        }
        std::string erro;
        auto c = Ler_Cabecalho(cabecalho, erro);
        if (!c || !e.montagem.Aceitar(*c, erro)) {
            log(erro + ", conexão descartada");
            return Fim_Sessao::Fechar;
        }
        p.fase = Progresso::Enviando;
        if (!e.arquivo)
            e.arquivo = std::make_unique<Arquivo_Temporario>(r.Pasta_Temporaria(), e.Reserva());
        const auto prazo_bloco = Prazo(o.tempo_ocioso_ms, fim_conexao);
        if (e.montagem.Ultimo()) {
            l = Ler_Ultimo_Bloco(fd, e, o, prazo_bloco);
        } else {
            std::string dados;
            l = Ler_Ate(fd, dados, Tamanho_Bloco, prazo_bloco);
            e.Guardar(dados);
        }
        if (l != Leitura::Completa) {
            log(e.Descartada() ? descartado()
                                       : "bloco " + std::to_string(c->bloco) + " incompleto, conexão descartada: " + Motivo(l));
            return Fim_Sessao::Fechar;
        }
        p.Avancou();
        if (c->bloco == o.reset_apos) {
            log("reset após o bloco " + std::to_string(c->bloco));
            return Fim_Sessao::Resetar;
        }
        if (c->bloco == o.fechar_apos) {
            log("fechamento após o bloco " + std::to_string(c->bloco));
            return Fim_Sessao::Fechar;
        }
        if (!e.montagem.Ultimo()) {
            if (!sistema::Enviar_Tudo(fd, Resposta_Intermediaria))
                return Fim_Sessao::Fechar;
            continue;
        }

        std::string nota, resposta;
        p.fase = Progresso::Julgando;
        e.Reserva().Julgando(true);
        try {
            resposta = Resposta_Ultimo_Bloco(e, o, r, std::time(nullptr), nota);
        } catch (const std::exception &x) {
            log(std::string("entrega não registrada: ") + x.what());
            return Fim_Sessao::Fechar;
        }
        log(c->nome + " (" + std::to_string(c->total) + " blocos): " + nota);
        p.fase = Progresso::Enviando;
        e.Recomecar();
        if (o.sem_resposta) {
            // Keep the client waiting (it asks its user whether to go on) until it gives up.
            std::string descarte;
            while (Ler_Algo(fd, descarte, 4096, Espera_Sem_Resposta_ms) == Leitura::Completa)
                descarte.clear();
            return Fim_Sessao::Fechar;
        }
        if (o.resposta_partida_ms >= 0 && resposta.size() > 1) {
            const size_t meio = resposta.size() / 2;
            if (!sistema::Enviar_Tudo(fd, std::string_view(resposta).substr(0, meio)))
                return Fim_Sessao::Fechar;
            Pausa_Ms(o.resposta_partida_ms);
            resposta.erase(0, meio);
        }
        if (!sistema::Enviar_Tudo(fd, resposta))
            return Fim_Sessao::Fechar;
        p.Avancou();
    }
}

} // namespace servidor
