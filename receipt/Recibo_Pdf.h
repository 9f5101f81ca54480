#pragma once
// The receipt of a record written as a PDF file, drawn by the printed receipt's renderer.
#include <QString>
#include <string>

// The file name of the receipt of `registro` (no folder).
std::string Nome_Arquivo_Recibo(const std::string &registro);
// The document title of the receipt of `registro`.
QString Titulo_Recibo(const std::string &registro);
// Writes the receipt; false with the reason in `erro` (when given) when it cannot.
bool Gravar_Recibo_Pdf(const std::string &registro, const QString &caminho, QString *erro);
