#pragma once
// The receipt of a record written to a PDF file: the same one-page receipt, through the same
// renderer as the paper one, titled by the receipt. Needs a QGuiApplication (fonts); no widgets.
#include <QString>
#include <string>

class QIODevice;

// The file name a receipt suggests: identifier digits, competence and code,
// "11222333000181-122026-00000005.pdf".
std::string Nome_Arquivo_Recibo(const std::string &registro);

// The title of a receipt's print job and PDF: code, identifier, competence.
QString Titulo_Recibo(const std::string &registro);

// Draws the receipt of `registro` as a PDF document into `saida` (open for writing). False with
// the reason in `erro` (when given) when the document could not be drawn.
bool Escrever_Recibo_Pdf(const std::string &registro, QIODevice &saida, QString *erro);

// Writes the receipt of `registro` to `caminho`; an existing file is replaced only once the new
// one is complete. False with the reason in `erro` (when given) on any failure, and then the
// file at `caminho` is as it was.
bool Gravar_Recibo_Pdf(const std::string &registro, const QString &caminho, QString *erro);
