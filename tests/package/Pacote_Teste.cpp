#include "tests/package/Pacote_Teste.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

QString Pacote_Deb()
{
    const QDir pasta(QStringLiteral(ZELTA_PASTA_PACOTE));
    const QStringList debs = pasta.entryList({QStringLiteral("zeltanet_*.deb")}, QDir::Files);
    return debs.size() == 1 ? pasta.filePath(debs.first()) : QString();
}

Resultado_Comando Executar(const QString &programa, const QStringList &args, int segundos,
                           const QProcessEnvironment &ambiente)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setProcessEnvironment(ambiente);
    p.start(programa, args);
    Resultado_Comando r;
    if (!p.waitForStarted(10000))
        return r;
    if (!p.waitForFinished(segundos * 1000)) {
        p.kill();
        p.waitForFinished(5000);
        r.saida = QString::fromLocal8Bit(p.readAll());
        return r;
    }
    r.terminou = p.exitStatus() == QProcess::NormalExit;
    r.codigo = p.exitCode();
    r.saida = QString::fromLocal8Bit(p.readAll());
    return r;
}

bool Existe_Programa(const QString &programa)
{
    return !QStandardPaths::findExecutable(programa).isEmpty();
}

QMap<QString, QString> Ler_Entrada_Desktop(const QString &arquivo)
{
    QMap<QString, QString> chaves;
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return chaves;
    bool no_grupo = false;
    for (const QString &linha : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (linha.startsWith(u'['))
            no_grupo = linha == QStringLiteral("[Desktop Entry]");
        else if (const qsizetype igual = linha.indexOf(u'='); no_grupo && igual > 0 && !linha.startsWith(u'#'))
            chaves.insert(linha.left(igual).trimmed(), linha.mid(igual + 1));
    }
    return chaves;
}

QStringList Argumentos_Exec(const QString &exec)
{
    // The value first loses the string escapes of the file format ("\\" stands for one backslash).
    QString valor = exec;
    valor.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    QStringList args;
    QString atual;
    bool aspas = false, tem_arg = false;
    for (qsizetype i = 0; i < valor.size(); ++i) {
        const QChar c = valor[i];
        if (aspas && c == u'\\' && i + 1 < valor.size()) {
            atual += valor[++i];
        } else if (c == u'"') {
            aspas = !aspas;
            tem_arg = true;
        } else if (c == u' ' && !aspas) {
            if (tem_arg)
                args << atual;
            atual.clear();
            tem_arg = false;
        } else {
            atual += c;
            tem_arg = true;
        }
    }
    if (tem_arg)
        args << atual;
    return args;
}
