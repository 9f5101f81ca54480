#pragma once
// The month at a glance: for one competence, one line per employer known from the ledger of
// deliveries, the history and the declaration files of a folder, with where its declaration
// stands: delivered (code, date), uncertain, refused (message), pending (a validated declaration
// of that month is in the folder, not delivered) or missing (delivered for an earlier month,
// nothing for this one).
#include <QString>
#include <atomic>
#include <string>
#include <vector>

enum class Estado_Mes { Incerta, Recusada, Pendente, Em_Falta, Entregue }; // the order of the list

struct Linha_Mes {
    std::string tipo_identificador, identificador; // Windows-1252, blanks at the ends cut
    std::string razao_social;
    Estado_Mes estado = Estado_Mes::Em_Falta;
    std::string codigo;  // Entregue: eight digits
    std::string data;    // Entregue: dd/mm/yyyy of the reception
    int mensagem = 0;    // Recusada: the message's number
    std::string arquivo; // Incerta: the file sent; Pendente: the declaration in the folder (bytes)
};

// `mes` "03", `ano` "2024". `pasta` is the folder whose declaration files count (file-system
// bytes); `historico` the history, the ledger is beside it. Lines sorted by state, then company.
// Throws Erro_Execucao when the history or the ledger cannot be read; a declaration file that
// cannot be read is left out. Stops early (what was found so far) once `parar` is true.
std::vector<Linha_Mes> Entregas_Do_Mes(const std::string &mes, const std::string &ano,
                                       const std::string &historico, const std::string &pasta,
                                       const std::atomic<bool> *parar = nullptr);

// "entregue", "incerta", "recusada", "pendente", "em falta".
QString Nome_Estado(Estado_Mes e);
// The state with what it carries: "entregue (código 00000012, 05/04/2024)", "recusada (mensagem 18)".
QString Texto_Estado(const Linha_Mes &l);

// The table as a spreadsheet file of Brazil opens it: UTF-8 with a byte order mark, fields
// separated by ";", quoted when they hold ";", a quote or a line end, lines ending in CR LF.
QByteArray Csv_Mes(const std::vector<Linha_Mes> &linhas, const QString &competencia);
