#include "receipt/Recibo_Pdf.h"

#include "platform/Texto1252.h"
#include "receipt/Desenho_Recibo.h"
#include "receipt/Pagina_Recibo.h"
#include "receipt/Registro_Recibo.h"

#include <QDateTime>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

std::string Nome_Arquivo_Recibo(const std::string &registro)
{
    return "Recibo_" + Recibo::Codigo_Recebimento(registro) + ".pdf";
}

QString Titulo_Recibo(const std::string &registro)
{
    return QStringLiteral("Recibo de Entrega ") + De_1252(Recibo::Codigo_Recebimento(registro));
}

bool Gravar_Recibo_Pdf(const std::string &registro, const QString &caminho, QString *erro)
{
    auto falha = [&](const QString &motivo) {
        if (erro)
            *erro = motivo;
        return false;
    };
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::WriteOnly))
        return falha(arquivo.errorString());
    {
        QPdfWriter pdf(&arquivo);
        pdf.setTitle(Titulo_Recibo(registro));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(600);
        QPainter pintor;
        if (!pintor.begin(&pdf))
            return falha(QStringLiteral("não foi possível desenhar o recibo"));
        pintor.setFont(Fonte_Recibo());
        Desenhar_Pagina(pintor, Montar_Pagina(registro, QDateTime::currentDateTime()));
        pintor.end();
    }
    if (!arquivo.flush() || arquivo.error() != QFileDevice::NoError)
        return falha(arquivo.errorString());
    return true;
}
