#pragma once
// The installed printers as the system lists them, by device name. Tests replace the source.
#include <QString>
#include <functional>
#include <vector>

std::vector<QString> Impressoras_Instaladas();
// The system's default printer's device name (empty without one).
QString Impressora_Padrao_Sistema();

struct Fonte_Impressoras {
    std::function<std::vector<QString>()> instaladas;
    std::function<QString()> padrao;
};
// Replaces where the lists come from; an empty source restores the system's. Returns the one before.
Fonte_Impressoras Trocar_Fonte_Impressoras(Fonte_Impressoras nova);

// The entry after the installed printers that writes the receipt to a PDF file.
extern const QString Entrada_Arquivo_Pdf; // "Arquivo PDF..."
