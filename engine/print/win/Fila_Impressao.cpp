// The spooler's word on a printer and on a job (Windows). Qt's Windows print engine hands the job
// to the spooler itself (StartDoc in QPainter::begin, EndDoc in end), so a refusal is expected to
// come back through those calls; no later word on the job is kept here.
#include "engine/print/Fila_Impressao.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace {
QString Texto_Do_Sistema(DWORD codigo)
{
    wchar_t *texto = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, codigo, 0, reinterpret_cast<wchar_t *>(&texto), 0, nullptr);
    const QString t = texto ? QString::fromWCharArray(texto).trimmed() : QStringLiteral("Erro %1").arg(codigo);
    ::LocalFree(texto);
    return t;
}
} // namespace

bool Fila_Aceita_Trabalhos(const QString &nome, QString *motivo)
{
    std::wstring largo = nome.toStdWString();
    HANDLE impressora = nullptr;
    if (!::OpenPrinterW(largo.data(), &impressora, nullptr)) {
        if (motivo)
            *motivo = Texto_Do_Sistema(::GetLastError());
        return false;
    }
    DWORD preciso = 0;
    ::GetPrinterW(impressora, 2, nullptr, 0, &preciso);
    std::vector<BYTE> dados(preciso ? preciso : 1);
    const bool lido = preciso && ::GetPrinterW(impressora, 2, dados.data(), preciso, &preciso);
    ::ClosePrinter(impressora);
    if (!lido)
        return true; // the printer exists; its state is the spooler's business
    // A paused or offline printer still takes and holds jobs; one being removed or unavailable does not.
    const DWORD estado = reinterpret_cast<const PRINTER_INFO_2W *>(dados.data())->Status;
    const bool sim = !(estado & (PRINTER_STATUS_PENDING_DELETION | PRINTER_STATUS_NOT_AVAILABLE));
    if (!sim && motivo)
        *motivo = (estado & PRINTER_STATUS_PENDING_DELETION) ? QStringLiteral("A impressora está sendo removida")
                                                             : QStringLiteral("A impressora não está disponível");
    return sim;
}

bool Ultimo_Envio_Recusado(QString *)
{
    return false;
}
