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

// The entry after the installed printers that writes the receipt to a PDF file.
extern const QString Entrada_Arquivo_Pdf; // "Arquivo PDF..."

// Fills a printer list with every installed printer in the system's order, then the PDF entry,
// and selects the first printer; every failure is ignored (with no printer installed nothing is
// selected).
void Preencher_Lista_Impressoras(QComboBox *lista);
// Whether the list's chosen entry is the PDF entry (not a printer that happens to bear its name).
bool Escolhido_Arquivo_Pdf(const QComboBox *lista);

// Whether the print system takes jobs for this queue now (it exists and was not told to refuse
// them, as `cupsreject` does); false with the print system's reason in `motivo`.
bool Fila_Aceita_Trabalhos(const QString &nome, QString *motivo = nullptr);
// Whether the last submission of a job from this thread was refused by the print system. The
// printer engine submits in QPainter::end() without reporting the outcome; the print library
// keeps it, per thread, until its next call.
bool Ultimo_Envio_Recusado(QString *motivo = nullptr);
