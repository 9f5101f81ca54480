#pragma once
// The printed receipt as data: lines of Tab / Spc / text items, built from a receipt record.
// Texts are Windows-1252 bytes, like the record fields they carry; the fixed texts are converted
// once, so a whole line is one encoding.
#include <QString>
#include <string>
#include <vector>

class QDateTime;

namespace Pagina_Recibo {
struct Item {
    enum Tipo { Tab, Spc, Texto } tipo;
    int n = 0;            // column for Tab, count for Spc
    std::string texto;    // Windows-1252 bytes, for Texto
};
using Linha = std::vector<Item>;
} // namespace Pagina_Recibo

// The page of the receipt of `registro`, printed at the moment `agora`.
std::vector<Pagina_Recibo::Linha> Montar_Pagina(const std::string &registro, const QDateTime &agora);

// The page in columns one character wide: a Tab(n) starts at character n, a Tab already passed
// continues on a new line, Spc(n) is n blanks. Trailing blanks are kept.
std::vector<QString> Texto_Pagina(const std::vector<Pagina_Recibo::Linha> &linhas);
