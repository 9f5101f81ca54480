#include "gui/ledger/Tabela_Mes.h"

#include "engine/platform/Texto1252.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QFile>
#include <QPdfWriter>
#include <QTextDocument>

void Desenhar_Tabela_Mes(QPagedPaintDevice &saida, const std::vector<Linha_Mes> &linhas,
                         const QString &competencia)
{
    QString html = QStringLiteral("<h3>Entregas do Mês &ndash; competência %1</h3>"
                                  "<table border='1' cellspacing='0' cellpadding='3' width='100%'>"
                                  "<tr><th>Identificador</th><th>Empresa</th><th>Situação</th></tr>")
                       .arg(competencia.toHtmlEscaped());
    for (const Linha_Mes &l : linhas)
        html +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                .arg(
                    De_1252(Identificador_Para_Exibir(l.tipo_identificador, l.identificador)).toHtmlEscaped(),
                    De_1252(l.razao_social).toHtmlEscaped(), Texto_Estado(l).toHtmlEscaped());
    html += QStringLiteral("</table>");
    QTextDocument documento;
    documento.setHtml(html);
    documento.print(&saida);
}

bool Gravar_Tabela_Mes_Pdf(const QString &arquivo, const std::vector<Linha_Mes> &linhas,
                           const QString &competencia)
{
    QFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    {
        QPdfWriter pdf(&f);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setTitle(QStringLiteral("Entregas do Mês ") + competencia);
        Desenhar_Tabela_Mes(pdf, linhas, competencia);
    }
    return f.flush() && f.error() == QFileDevice::NoError;
}
