#include "engine/print/Fila_Impressao.h"

#include <cups/cups.h>

#include <cstring>

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

void Comecar_Envio()
{
    // The print library's status of its last call is the job's outcome: nothing to reset.
}

bool Ultimo_Envio_Recusado(QString *motivo)
{
    if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return false;
    if (motivo)
        *motivo = QString::fromLocal8Bit(cupsLastErrorString());
    return true;
}
