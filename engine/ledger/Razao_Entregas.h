#pragma once
// The ledger of deliveries ("ZeltaEntregas.db", beside the history): each attempt is written
// before its first block (file, SHA-256 of its bytes, declaration), marked before its last block
// goes, and given its outcome at the end. A SQLite database in WAL mode: several programs and
// threads write at once (each waits for the others' transactions), and a program killed at any
// moment leaves it readable, at worst with an attempt that has no outcome.
#include "engine/receipt/Dados_Declaracao.h"

#include <QString>
#include <string>
#include <vector>

struct sqlite3;

inline constexpr const char *Arquivo_Razao = "ZeltaEntregas.db";
// How long a write waits for another program's transaction before it fails.
constexpr int Espera_Razao_ms = 30000;

enum class Resultado_Razao {
    Sem_Resultado, // only read back: the program stopped before writing one
    Aceita,        // the server gave a receipt (codigo, data_servidor)
    Ja_Entregue,   // the server had it before (codigo)
    Recusada,      // a numbered message ended it before any receipt (mensagem)
    Falhou,        // it ended before its last block went (detalhe)
    Incerta        // the last block went and no judged reply came back
};

struct Tentativa_Razao {
    long long id = 0;
    std::string quando;          // local time the attempt started, YYYY-MM-DD hh:mm:ss
    std::string arquivo;         // the name in the block header (Windows-1252)
    std::string caminho;         // the file's absolute path (file-system bytes)
    std::string sha256;          // of the declaration's bytes as checked and packed (hex)
    std::string sha256_envio;    // of the archive whose blocks went (hex)
    Dados_Declaracao declaracao; // type, identifier kind and number, company, competence
    bool ultimo_bloco = false;   // the last block may have gone
    Resultado_Razao resultado = Resultado_Razao::Sem_Resultado;
    std::string codigo;        // eight digits (accepted, delivered before)
    std::string data_servidor; // DDMMYYYYhhmmss of an accepted delivery
    int mensagem = 0;          // the numbered message that ended it
    QString detalhe;           // the text shown at the end
    std::string fim;           // local time of the outcome
};

// What an attempt amounts to: its outcome, or without one uncertain when its last block may have
// gone and failed when it cannot have.
Resultado_Razao Estado_Efetivo(const Tentativa_Razao &t);

// The ledger's path beside a history file's path.
std::string Caminho_Razao(const std::string &historico);

class Razao_Entregas {
public:
    // Opens (creating when missing) the ledger; throws Erro_Execucao.
    explicit Razao_Entregas(const std::string &arquivo);
    ~Razao_Entregas();
    Razao_Entregas(const Razao_Entregas &) = delete;
    Razao_Entregas &operator=(const Razao_Entregas &) = delete;

    // Writes an attempt (its id and outcome are ignored) and returns its id; durable on return.
    long long Registrar_Tentativa(const Tentativa_Razao &t);
    void Marcar_Ultimo_Bloco(long long id);
    // Writes the outcome of the attempt: resultado, codigo, data_servidor, mensagem, detalhe.
    void Registrar_Resultado(long long id, const Tentativa_Razao &resultado);

    // Uncertain attempts that no later delivery of the same bytes has settled (accepted or
    // delivered before), newest first; an attempt still running in another program counts.
    std::vector<Tentativa_Razao> Incertas();
    // Every attempt for a competence (MM, YYYY), oldest first.
    std::vector<Tentativa_Razao> Da_Competencia(const std::string &mes, const std::string &ano);
    // Every attempt, oldest first, at most `limite`.
    std::vector<Tentativa_Razao> Todas(int limite = 100000);

private:
    std::vector<Tentativa_Razao> Consultar(const char *sql, const std::vector<std::string> &parametros);
    void Executar(const char *sql);
    [[noreturn]] void Falhar(const char *onde);

    sqlite3 *db_ = nullptr;
    std::string arquivo_;
};
