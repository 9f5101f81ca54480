#pragma once
// The printer lists of the transmit and reprint windows.
class QComboBox;

// Fills a printer list with every installed printer in the system's order, then the PDF entry,
// and selects the first printer; every failure is ignored (with no printer installed nothing is
// selected).
void Preencher_Lista_Impressoras(QComboBox *lista);
// Whether the list's chosen entry is the PDF entry (not a printer that happens to bear its name).
bool Escolhido_Arquivo_Pdf(const QComboBox *lista);
