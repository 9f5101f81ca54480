#include "gui/receipt/Lista_Impressoras.h"

#include "engine/print/Impressoras.h"

#include <QComboBox>

namespace {
// Marks the PDF entry in the list's item data; printers carry none.
constexpr int Papel_Pdf = Qt::UserRole + 1;
} // namespace

void Preencher_Lista_Impressoras(QComboBox *lista)
{
    try {
        for (const QString &nome : Impressoras_Instaladas())
            lista->addItem(nome);
    } catch (...) {
        // Listing printers never stops a window from opening.
    }
    const int impressoras = lista->count();
    lista->addItem(Entrada_Arquivo_Pdf);
    lista->setItemData(lista->count() - 1, true, Papel_Pdf);
    lista->setCurrentIndex(impressoras > 0 ? 0 : -1);
}

bool Escolhido_Arquivo_Pdf(const QComboBox *lista)
{
    return lista->currentIndex() >= 0 && lista->currentData(Papel_Pdf).toBool();
}
