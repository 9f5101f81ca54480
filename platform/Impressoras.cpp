#include "platform/Impressoras.h"

#include <QComboBox>
#include <QPrinterInfo>
#include <cups/cups.h>
#include <cstring>

const QString Entrada_Arquivo_Pdf = QStringLiteral("Arquivo PDF...");

namespace {
// Marks the PDF entry in the list's item data; printers carry none.
constexpr int Papel_Pdf = Qt::UserRole + 1;

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

bool Fila_Aceita_Trabalhos(const QString &nome, QString *motivo)
{
    // A queue instance "fila/instancia" is the queue itself for the print system.
    const QByteArray fila = nome.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    cups_dest_t *destino = cupsGetNamedDest(CUPS_HTTP_DEFAULT, fila.constData(), nullptr);
    if (!destino) {
        if (motivo)
            *motivo = QString::fromLocal8Bit(cupsLastErrorString());
        return false;
    }
    const char *aceita = cupsGetOption("printer-is-accepting-jobs", destino->num_options, destino->options);
    const bool sim = !aceita || std::strcmp(aceita, "true") == 0 || std::strcmp(aceita, "1") == 0;
    if (!sim && motivo) {
        const char *razao = cupsGetOption("printer-state-reasons", destino->num_options, destino->options);
        *motivo = QString::fromLocal8Bit(razao ? razao : "not accepting jobs");
    }
    cupsFreeDests(1, destino);
    return sim;
}

bool Ultimo_Envio_Recusado(QString *motivo)
{
    if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return false;
    if (motivo)
        *motivo = QString::fromLocal8Bit(cupsLastErrorString());
    return true;
}
