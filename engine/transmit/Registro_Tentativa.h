#pragma once
// The transmit command's entries in the ledger of deliveries: the attempt before its first block,
// the mark before its last block, the outcome at the end (the first one given counts). The
// ledger never stops a delivery: when it cannot be written the delivery goes on, and the reason
// goes to the program's warning output (the terminal of the tool, the log of the window).
#include "engine/ledger/Razao_Entregas.h"
#include "engine/platform/Descritor.h"

#include <QString>
#include <memory>
#include <string>

class Registro_Tentativa {
public:
    explicit Registro_Tentativa(std::string razao) : razao_(std::move(razao)) {}

    // `sha256` is of the declaration's bytes as packed; `arquivo_zip` the archive that goes.
    void Inicio(const std::string &nome, const std::string &caminho, const Dados_Declaracao &d,
                const std::string &sha256, const std::string &arquivo_zip);
    void Ultimo_Bloco();
    // Whether it ended uncertain: the last block went and no judged reply came back.
    bool Incerta() const { return resultado_ == Resultado_Razao::Incerta; }

    void Aceita(const std::string &resposta);
    void Ja_Entregue(const std::string &resposta);
    // A numbered message (06, 07, 17, 18) ended it. `sem_resposta`: no reply came (the user gave
    // up waiting, or stopped it): uncertain after the last block, a failure before it.
    void Recusada(int numero, const QString &mensagem, bool sem_resposta);
    // A run-time failure ended it, told by message `numero` (09-13; 0 for the failure's own
    // words): uncertain after the last block, failed before it.
    void Falhou(int numero, const QString &texto);

private:
    void Fim(Tentativa_Razao r);
    void Falha_Livro(const QString &descricao);

    std::string razao_;
    std::unique_ptr<Razao_Entregas> livro_;
    long long id_ = 0;
    bool ultimo_bloco_ = false;
    bool encerrada_ = false;
    Resultado_Razao resultado_ = Resultado_Razao::Sem_Resultado;
};

// The SHA-256 (hex) of a file's bytes: an open descriptor, or a file by its name; empty when it
// cannot be read.
std::string Sha256_Descritor(const sistema::Descritor &d);
std::string Sha256_Arquivo(const std::string &caminho);
