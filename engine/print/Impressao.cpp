#include "engine/print/Impressao.h"

#include "engine/print/Desenho_Recibo.h"
#include "engine/print/Fila_Impressao.h"
#include "engine/print/Impressora_Aplicacao.h"
#include "engine/print/Recibo_Pdf.h"

#include <QDateTime>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <utility>

namespace {
QString &Saida_Pdf()
{
    static QString arquivo;
    return arquivo;
}
} // namespace

QString Trocar_Saida_Impressao(const QString &arquivo_pdf)
{
    return std::exchange(Saida_Pdf(), arquivo_pdf);
}

bool Imprimir_Documento(const std::string &registro)
{
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setDocName(Titulo_Recibo(registro));
    const bool fila = Saida_Pdf().isEmpty();
    if (!fila) {
        impressora.setOutputFormat(QPrinter::PdfFormat);
        impressora.setOutputFileName(Saida_Pdf());
    } else {
        const QString nome = Impressora_Aplicacao();
        // Qt prints on some other queue when given a name the system does not know; and it
        // reports a refused job as printed, so a queue that refuses jobs fails here.
        if (nome.isEmpty() || QPrinterInfo::printerInfo(nome).isNull() || !Fila_Aceita_Trabalhos(nome))
            return false;
        impressora.setPrinterName(nome);
    }
    if (!impressora.isValid())
        return false;
    if (fila)
        Comecar_Envio();
    QPainter pintor;
    if (!pintor.begin(&impressora))
        return false;
    pintor.setFont(Fonte_Recibo());
    Desenhar_Pagina(pintor, Montar_Pagina(registro, QDateTime::currentDateTime()));
    if (!pintor.end() || impressora.printerState() == QPrinter::Error)
        return false;
    // The job is submitted inside end(); whether the print system took it is only known here.
    return !fila || !Ultimo_Envio_Recusado();
}
