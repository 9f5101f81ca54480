#include "engine/print/Recibos_Pdf.h"

#include "engine/print/Recibo_Pdf.h"

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
        if (!pasta_pronta)
            r.motivo = QStringLiteral("a pasta não pôde ser criada");
        else
            Gravar_Recibo_Pdf(registro, r.caminho, &r.motivo);
        (r.motivo.isEmpty() ? g.gravados : g.falhas).push_back(std::move(r));
    }
    return g;
}
