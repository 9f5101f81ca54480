#include "platform/Impressoras.h"

#include <QComboBox>
#include <QPrinterInfo>

namespace {
Fonte_Impressoras &Fonte()
{
    static Fonte_Impressoras f;
    return f;
}
} // namespace

std::vector<QString> Impressoras_Instaladas()
{
    if (Fonte().instaladas)
        return Fonte().instaladas();
    std::vector<QString> nomes;
    for (const QString &n : QPrinterInfo::availablePrinterNames())
        nomes.push_back(n);
    return nomes;
}

QString Impressora_Padrao_Sistema()
{
    if (Fonte().padrao)
        return Fonte().padrao();
    return QPrinterInfo::defaultPrinterName();
}

Fonte_Impressoras Trocar_Fonte_Impressoras(Fonte_Impressoras nova)
{
    Fonte_Impressoras antiga = std::move(Fonte());
    Fonte() = std::move(nova);
    return antiga;
}

void Preencher_Lista_Impressoras(QComboBox *lista)
{
    try {
        for (const QString &nome : Impressoras_Instaladas())
            lista->addItem(nome);
        if (lista->count() > 0)
            lista->setCurrentIndex(0);
    } catch (...) {
        // Listing printers never stops a window from opening.
    }
}
