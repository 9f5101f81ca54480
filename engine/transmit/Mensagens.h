#pragma once
// Texts of the transmit command's message boxes. A carriage return (char 13) separates lines.
#include <QString>
#include <string_view>

namespace Mensagem {
extern const QString Confirmacao_03;
extern const QString Tamanho_04;
extern const QString Demora_05;
extern const QString Abortada_06;
extern const QString Descompactacao_07;
extern const QString Competencia_Anterior_17;
extern const QString Erro_Compactacao;
extern const QString Servidor_Nao_Encontrado_09;
extern const QString Servidor_Nao_Responde_10;
extern const QString Conexao_Abortada_11;
extern const QString Sem_Suporte_12;
extern const QString Servidor_Desconhecido_13;

// 08: the delivery was made before; `resposta` is the 23-character reply (Windows-1252 bytes).
QString Ja_Transmitido_08(std::string_view resposta);
// 18: the server accepts another competence (reply characters 2-3 month, 4-7 year).
QString Competencia_Recusada_18(std::string_view mes, std::string_view ano, std::string_view resposta);
// The receipt was accepted by the server but could not be written to the history file.
QString Historico_Nao_Gravado(const QString &descricao);
} // namespace Mensagem

// A message's text on one line, for a table cell or a terminal: each line break a blank.
QString Em_Uma_Linha(const QString &mensagem);
