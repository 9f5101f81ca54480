#pragma once
// A receipt printed on the application's current printer: the page drawn, the document ended,
// and the print system's word on the job taken.
#include <QString>
#include <string>

// Draws and ends the receipt of `registro` on the application's current printer; false on any
// failure (unknown printer, a queue refusing jobs, a refused job).
bool Imprimir_Documento(const std::string &registro);

// Sends the pages to this PDF file instead of the printer's queue (tests); empty restores the queue.
// The printer switching runs the same either way. Returns the file set before.
QString Trocar_Saida_Impressao(const QString &arquivo_pdf);
