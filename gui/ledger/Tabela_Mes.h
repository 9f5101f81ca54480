#pragma once
// The month table as a document: printed on a printer the user picks, or written to a PDF file.
#include "engine/transmit/Mes_Entregas.h"

#include <QString>
#include <vector>

class QPagedPaintDevice;

// Draws the table (title with the competence, one line per employer) on as many pages as it takes.
void Desenhar_Tabela_Mes(QPagedPaintDevice &saida, const std::vector<Linha_Mes> &linhas,
                         const QString &competencia);
// Writes the table to a PDF file (A4); false when the file could not be written.
bool Gravar_Tabela_Mes_Pdf(const QString &arquivo, const std::vector<Linha_Mes> &linhas,
                           const QString &competencia);
