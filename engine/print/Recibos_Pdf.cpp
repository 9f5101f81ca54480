#include "engine/print/Recibos_Pdf.h"

#include "engine/platform/Arquivos.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/print/Recibo_Pdf.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <set>

Gravacao_Recibos Gravar_Recibos_Pdf(const std::vector<std::string> &registros, const QString &pasta)
{
    Gravacao_Recibos g;
    const bool pasta_pronta = QDir().mkpath(pasta);
    std::set<std::string> vistos;
    for (const std::string &registro : registros) {
        if (!vistos.insert(registro).second)
            continue;
        Recibo_Pdf_Gravado r{registro, QDir(pasta).filePath(QFile::decodeName(Nome_Arquivo_Recibo(registro).c_str())),
                             {}};
        // Drawn in memory first: the file is then one write whose failure has a system reason.
        QBuffer documento;
        documento.open(QIODevice::WriteOnly);
        if (!pasta_pronta)
            r.motivo = QStringLiteral("a pasta não pôde ser criada");
        else if (Escrever_Recibo_Pdf(registro, documento, &r.motivo)) {
            try {
                const QByteArray &dados = documento.data();
                Gravar_Arquivo_Inteiro(QFile::encodeName(r.caminho).toStdString(),
                                       std::string_view(dados.constData(), static_cast<size_t>(dados.size())));
            } catch (const Erro_Execucao &e) {
                r.motivo = e.descricao;
            }
        }
        (r.motivo.isEmpty() ? g.gravados : g.falhas).push_back(std::move(r));
    }
    return g;
}
