#include "intake/Padrao_Arquivos.h"

#include <QDir>
#include <QFileInfo>

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

QStringList Arquivos_Da_Pasta(const QString &pasta, const QString &padroes)
{
    const QStringList todos = QDir(pasta).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QStringList nomes;
    for (const QString &n : todos)
        if (Casa_Padrao(n, padroes))
            nomes << n;
    return nomes;
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
