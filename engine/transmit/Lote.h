#pragma once
// Delivering several declaration files with the transmit command: each on its own connection,
// with its own components and temporary archive, up to `paralelas` at once. The command's
// questions are answered by policy: the batch was confirmed beforehand (03), long transfers are
// part of a batch (04), a silent server is waited for up to a limit (05), and a file delivered
// before is recorded when missing without opening the reprint window (08).
#include "engine/platform/Proxy.h"
#include "engine/transmit/Perguntas.h"
#include "engine/intake/Verificacao.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Relogio;
class Socketout;
class Registro_Comunicacao;

enum class Situacao_Entrega {
    Na_Fila,      // not started (the batch was interrupted first)
    Aceita,       // the server issued a receipt
    Ja_Entregue,  // message 08: delivered before
    Recusada,     // ended by a numbered message or a failure; `mensagem` says which
    Incerta       // the last block went and no judged reply came back; `mensagem` says what ended it
};

struct Resultado_Entrega {
    std::string arquivo;             // as given (file-system encoding)
    Situacao_Entrega situacao = Situacao_Entrega::Na_Fila;
    std::string codigo;              // the receipt code, eight digits (accepted or delivered before)
    std::string registro;            // the receipt record when one was built
    Dados_Declaracao declaracao;     // what the checks read: company, competence
    QString mensagem;                // the last numbered message or failure text
    int numero_mensagem = 0;         // that message's number; 0 for a failure's own words
    int falha = 0;                   // the run-time failure that ended it (`Erro_Execucao`), 0 for none
    // Why the receipt record of an accepted or already delivered file could not be appended to
    // the history; empty when it was, or when none was due.
    QString historico_nao_gravado;
};

struct Evento_Entrega {
    enum Tipo { Inicio, Bloco, Aguardando, Mensagem, Fim } tipo;
    Evento_Entrega(Tipo t, size_t i) : tipo(t), indice(i) {}
    size_t indice;                   // of the file in the batch
    int bloco = 0, total = 0;        // Bloco: blocks sent so far of the total
    QString texto;                   // Mensagem: the message as the window would show it
    Resposta resposta = Resposta::Ok; // Mensagem: the policy's answer to a question
    const Resultado_Entrega *resultado = nullptr; // Fim: the delivery's result
};

struct Ajustes_Lote {
    std::string servidor;
    uint16_t porta = 2500;
    std::string historico = "Zelta.ret";
    int paralelas = 1;               // 1 to Max_Paralelas
    double espera_maxima_s = 600;    // message 05 is answered "Sim" until the reply is this late
    // A clock for each delivery, given the delivery's connection; the system clock when empty.
    std::function<std::unique_ptr<Relogio>(Socketout &)> novo_relogio;
    Proxy proxy;                     // the way out, when the office has one
    std::shared_ptr<Registro_Comunicacao> registro; // the delivery log; none when empty
};
constexpr int Max_Paralelas = 8;

// Host and port of the program's own reception server.
Ajustes_Lote Ajustes_Lote_Padrao();

// Delivers the files and returns one result for each, in their order. `aviso` is called from
// the delivering threads, one call at a time. Once `parar` is true no further file starts, and
// running ones end as abandoned before their next block (a reply already awaited is still taken).
std::vector<Resultado_Entrega> Transmitir_Lote(const std::vector<std::string> &arquivos, const Ajustes_Lote &ajustes,
                                               const std::function<void(const Evento_Entrega &)> &aviso,
                                               const std::atomic<bool> &parar);

// The receipt records of a batch's deliveries, for writing their receipts: those of the accepted
// files, and of the files delivered before, as the history holds them (`historico`), or as the
// batch built them when the history lacks them or cannot be read. In the order of the results.
std::vector<std::string> Registros_Dos_Recibos(const std::vector<Resultado_Entrega> &resultados,
                                               const std::string &historico);

// The outcome in a few words: accepted or delivered before with the code, refused or stopped with
// the message's number, failed with the reason; never a question.
QString Texto_Resultado(const Resultado_Entrega &r);

// Whether the file ended accepted or delivered before.
bool Entregue(const Resultado_Entrega &r);
// Whether every file ended accepted or delivered before.
bool Lote_Bem_Sucedido(const std::vector<Resultado_Entrega> &resultados);
// Whether a file was delivered but its receipt record is missing from the history.
bool Recibo_Fora_Do_Historico(const std::vector<Resultado_Entrega> &resultados);
