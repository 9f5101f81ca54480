#pragma once
// A run-time failure with the number and description the user is shown ("Erro não tratado: ...").
// Socket failures carry the socket error numbers (24061, 25001, ...); other failures the numbers below.
#include <QString>
#include <stdexcept>

struct Erro_Execucao : std::runtime_error {
    Erro_Execucao(int numero, const QString &descricao);
    int numero;
    QString descricao;
};

// Numbers of run-time failures that are not socket errors.
namespace Erro {
constexpr int Argumento_Invalido = 5;
constexpr int Estouro = 6;              // arithmetic overflow
constexpr int Sem_Memoria = 7;
constexpr int Arquivo_Nao_Encontrado = 53;
constexpr int Erro_Entrada_Saida = 57;
constexpr int Disco_Cheio = 61;
constexpr int Leitura_Apos_Fim = 62;
constexpr int Permissao_Negada = 70;
constexpr int Caminho_Inacessivel = 75;
constexpr int Caminho_Nao_Encontrado = 76;
} // namespace Erro

// A file-access failure for the C errno value `err`, described by the system's own text.
Erro_Execucao Erro_De_Arquivo(int err);
// The system's description of errno value `err`.
QString Descricao_Sistema(int err);
// How a failure no numbered message covers is shown: "Erro não tratado: " + number + "  -  " +
// description.
QString Erro_Nao_Tratado(int numero, const QString &descricao);
