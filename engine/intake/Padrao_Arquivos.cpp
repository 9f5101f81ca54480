#include "engine/intake/Padrao_Arquivos.h"

#include "engine/platform/Arquivos.h"
#include "engine/platform/Texto1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {
bool Mesma_Letra(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Greedy match with backtracking to the last "*": linear for one star, never recursive.
bool Casa_Um(QStringView nome, QStringView padrao)
{
    qsizetype i = 0, j = 0, estrela = -1, marca = 0;
    while (i < nome.size()) {
        if (j < padrao.size() && padrao[j] == u'*') {
            estrela = j++;
            marca = i;
        } else if (j < padrao.size() && (padrao[j] == u'?' || Mesma_Letra(padrao[j], nome[i]))) {
            ++i;
            ++j;
        } else if (estrela >= 0) {
            j = estrela + 1;
            i = ++marca;
        } else {
            return false;
        }
    }
    while (j < padrao.size() && padrao[j] == u'*')
        ++j;
    return j == padrao.size();
}
} // namespace

bool Casa_Padrao(const QString &nome, const QString &padroes)
{
    bool algum = false;
    for (const QString &parte : padroes.split(u';')) {
        const QString padrao = parte.trimmed();
        if (padrao.isEmpty())
            continue;
        algum = true;
        if (Casa_Um(nome, padrao))
            return true;
        // As on Windows, "nome.*" also names the file "nome" that has no extension.
        if (padrao.endsWith(QLatin1String(".*")) && !nome.contains(u'.')
            && Casa_Um(nome, QStringView(padrao).chopped(2)))
            return true;
    }
    return !algum;
}

QString Nome_Mostrado(const QByteArray &bytes)
{
    const QString nome = QFile::decodeName(bytes);
    if (QFile::encodeName(nome) == bytes)
        return nome;
    return De_1252(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QList<Arquivo_Listado> Arquivos_Da_Pasta(const QString &pasta, const QString &padroes)
{
    QList<Arquivo_Listado> lista;
    for (const std::string &n : Arquivos_Comuns(QFile::encodeName(pasta).toStdString())) {
        const QByteArray bytes = QByteArray::fromStdString(n);
        const QString nome = Nome_Mostrado(bytes);
        if (Casa_Padrao(nome, padroes))
            lista.append({nome, bytes});
    }
    std::sort(lista.begin(), lista.end(), [](const Arquivo_Listado &a, const Arquivo_Listado &b) {
        const int c = a.nome.compare(b.nome, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.bytes < b.bytes;
    });
    return lista;
}

QStringList Subpastas(const QString &pasta)
{
    const QDir dir(pasta);
    QStringList caminhos;
    for (const QString &n : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        caminhos << dir.absoluteFilePath(n);
    return caminhos;
}

bool Pasta_Legivel(const QString &pasta)
{
    const QFileInfo info(pasta);
    return !pasta.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable();
}

QStringList Ancestrais(const QString &pasta)
{
    QStringList lista;
    QString atual = QDir::cleanPath(QDir(pasta).absolutePath());
    for (;;) {
        lista.prepend(atual);
        const QString acima = QFileInfo(atual).path();
        if (acima == atual)
            break;
        atual = acima;
    }
    return lista;
}
