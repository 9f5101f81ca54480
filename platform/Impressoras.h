#pragma once
// The installed printers as the system lists them, by device name. Tests replace the source.
#include <QString>
#include <functional>
#include <vector>

class QComboBox;

std::vector<QString> Impressoras_Instaladas();
// The system's default printer's device name (empty without one).
QString Impressora_Padrao_Sistema();

struct Fonte_Impressoras {
    std::function<std::vector<QString>()> instaladas;
    std::function<QString()> padrao;
};
// Replaces where the lists come from; an empty source restores the system's. Returns the one before.
Fonte_Impressoras Trocar_Fonte_Impressoras(Fonte_Impressoras nova);

// Fills a printer list with every installed printer in the system's order and selects the first;
// every failure is ignored (with no printer the list stays empty and nothing is selected).
void Preencher_Lista_Impressoras(QComboBox *lista);
