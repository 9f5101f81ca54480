#include "engine/print/Impressoras.h"

#include <QPrinterInfo>

const QString Entrada_Arquivo_Pdf = QStringLiteral("Arquivo PDF...");

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
