#include "engine/print/Recibo_Pdf.h"

#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Texto1252.h"
#include "engine/print/Desenho_Recibo.h"
#include "engine/receipt/Pagina_Recibo.h"
#include "engine/receipt/Registro_Recibo.h"

#include <QDateTime>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QBuffer>
#include <QFile>

namespace {
// Only letters and digits of a field go into a file name.
std::string Alfanumericos(std::string_view campo)
{
    std::string s;
    for (char c : campo)
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            s += c;
    return s;
}

} // namespace

std::string Nome_Arquivo_Recibo(const std::string &r)
{
    std::string nome;
    for (const std::string &parte :
         {Alfanumericos(Recibo::Identificador(r)),
          Alfanumericos(Recibo::Mes_Competencia(r)) + Alfanumericos(Recibo::Ano_Competencia(r)),
          Alfanumericos(Recibo::Codigo_Recebimento(r))}) {
        if (parte.empty())
            continue;
        if (!nome.empty())
            nome += '-';
        nome += parte;
    }
    return (nome.empty() ? std::string("Recibo") : nome) + ".pdf";
}

QString Titulo_Recibo(const std::string &r)
{
    const std::string tipo = Recibo::Tipo_Identificador(r);
    const std::string id =
        std::string(Sem_Brancos(Identificador_Para_Exibir(tipo, Recibo::Identificador(r))));
    return QStringLiteral("Recibo de Entrega %1 - %2 %3 - %4/%5")
        .arg(De_1252(Recibo::Codigo_Recebimento(r)), tipo == "1" ? QStringLiteral("CNPJ") : QStringLiteral("CEI"),
             De_1252(id), De_1252(Recibo::Mes_Competencia(r)), De_1252(Recibo::Ano_Competencia(r)));
}

bool Escrever_Recibo_Pdf(const std::string &registro, QIODevice &saida, QString *erro)
{
    auto falha = [&](const QString &motivo) {
        if (erro)
            *erro = motivo;
        return false;
    };
    QPdfWriter pdf(&saida);
    // A4 at the printer's resolution; the receipt's columns start far from the left edge and end
    // near the right one, so the saved page centres them between its 10 mm margins.
    pdf.setResolution(1200);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                  QPageLayout::Millimeter));
    pdf.setTitle(Titulo_Recibo(registro));
    pdf.setCreator(QStringLiteral("ZELTA Net - Transmissão via Internet"));
    QPainter pintor;
    if (!pintor.begin(&pdf))
        return falha(QStringLiteral("o documento PDF não pôde ser iniciado"));
    pintor.setFont(Fonte_Recibo());
    Desenhar_Pagina_Centrada(pintor, Montar_Pagina(registro, QDateTime::currentDateTime()));
    if (!pintor.end())
        return falha(QStringLiteral("o documento PDF não pôde ser concluído"));
    return true;
}

bool Gravar_Recibo_Pdf(const std::string &registro, const QString &caminho, QString *erro)
{
    // Drawn in memory first: the file is then one write whose failure has a system reason, and a
    // link planted at the name is replaced, never written through.
    QBuffer documento;
    documento.open(QIODevice::WriteOnly);
    if (!Escrever_Recibo_Pdf(registro, documento, erro))
        return false;
    try {
        const QByteArray &dados = documento.data();
        Gravar_Arquivo_Inteiro(QFile::encodeName(caminho).toStdString(),
                               std::string_view(dados.constData(), static_cast<size_t>(dados.size())));
    } catch (const Erro_Execucao &e) {
        if (erro)
            *erro = e.descricao;
        return false;
    }
    return true;
}
