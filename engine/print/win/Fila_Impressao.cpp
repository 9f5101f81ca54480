// The spooler's word on a printer and on a job (Windows). Qt's Windows print engine hands the job
// to the spooler itself: a refused StartDoc fails QPainter::begin(), but a refused EndPage or
// EndDoc (the spooler or the print system behind it not taking the job) only shows as a warning,
// "QWin32PrintEngine::end: EndDoc failed (...)", while end() reports success. Those messages are
// watched for the thread that submits.
#include "engine/print/Fila_Impressao.h"

#include <windows.h>
#include <winspool.h>

#include <QtGlobal>

#include <mutex>
#include <vector>

namespace {
QtMessageHandler Anterior = nullptr;
thread_local bool Recusado = false;
thread_local QString Motivo_Recusa;

void Observar(QtMsgType tipo, const QMessageLogContext &contexto, const QString &texto)
{
    // qErrnoWarning, which the engine uses, logs as critical.
    if ((tipo == QtWarningMsg || tipo == QtCriticalMsg) && texto.startsWith(QLatin1String("QWin32PrintEngine::"))
        && texto.contains(QLatin1String(" failed")) && !Recusado) {
        Recusado = true;
        Motivo_Recusa = texto;
    }
    if (Anterior)
        Anterior(tipo, contexto, texto);
}

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

void Comecar_Envio()
{
    static std::once_flag instalado;
    std::call_once(instalado, [] { Anterior = qInstallMessageHandler(Observar); });
    Recusado = false;
    Motivo_Recusa.clear();
}

bool Ultimo_Envio_Recusado(QString *motivo)
{
    if (Recusado && motivo)
        *motivo = Motivo_Recusa;
    return Recusado;
}
