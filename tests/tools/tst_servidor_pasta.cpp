// The server's data folder: the start-up sweep touches only what the server made, and one
// server at a time may use a folder.
#include "tests/tools/Cliente_Teste.h"
#include "tools/servidor/Registro.h"
#include "tools/servidor/Temporario.h"

#include <QtTest>

#include <unistd.h>

using namespace servidor;

namespace {

void Escrever(const QString &caminho, const QByteArray &conteudo)
{
    QFile f(caminho);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(caminho));
    f.write(conteudo);
}

QByteArray Conteudo(const QString &caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(ausente)");
}

std::unique_ptr<Arquivo_Temporario> Temporario(Registro &r, const std::string &conteudo)
{
    auto t = std::make_unique<Arquivo_Temporario>(r.Pasta_Temporaria(), r.Cota());
    if (!t->Acrescentar(conteudo))
        throw std::runtime_error("sem cota");
    return t;
}

QString Executavel() { return qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/servidor/zelta-servidor"; }

// Runs the executable on `pasta` until it prints its port, then stops it; its log.
QString Log_De_Um_Inicio(const QString &pasta)
{
    QProcess p;
    p.start(Executavel(), {"--porta", "0", "--dados", pasta});
    if (!p.waitForReadyRead(10000))
        return "(não iniciou) " + QString::fromUtf8(p.readAllStandardError());
    p.terminate();
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardError());
}

} // namespace

class TstServidorPasta : public QObject {
    Q_OBJECT
private slots:
    // What a stop in the middle of a recording leaves under the server's own names goes (or,
    // for a committed declaration, takes its final name), each with a log line; everything
    // else in the folder stays, links included and whatever they point at.
    void varredura_so_toca_o_que_o_servidor_fez()
    {
        QTemporaryDir dir, fora;
        const QString pasta = dir.filePath("dados");
        {
            Registro r(pasta.toStdString());
            r.Registrar(*Temporario(r, "um"), "r1", "A.MMM", '1', 1700000000);
        }
        const QString decl = pasta + "/declaracoes/", tmp = pasta + "/tmp/";
        // Declaration 1 committed but left under its provisional name.
        QVERIFY(QFile::rename(decl + "00000001-A.MMM", decl + "zelta-servidor-00000001-A.MMM"));
        Escrever(decl + "zelta-servidor-00000002-B.MMM", "sem registro");
        Escrever(tmp + "zelta-servidor-AbC123", "meio envio");
        const QStringList do_usuario = {decl + "00000003-C.MMM", decl + "leia-me.txt", tmp + "AbC123",
                                        tmp + "minhas notas.txt"};
        for (const auto &c : do_usuario)
            Escrever(c, "do usuário");
        QVERIFY(QDir().mkpath(tmp + "zelta-servidor-pasta"));
        Escrever(tmp + "zelta-servidor-pasta/dentro", "do usuário");
        Escrever(fora.filePath("alvo"), "do usuário");
        QVERIFY(QFile::link(fora.filePath("alvo"), tmp + "zelta-servidor-link"));

        const QString log = Log_De_Um_Inicio(pasta);
        QVERIFY2(log.contains("removido: zelta-servidor-AbC123"), qPrintable(log));
        QVERIFY2(log.contains("removido: zelta-servidor-00000002-B.MMM"), qPrintable(log));
        QVERIFY2(log.contains("posta no seu lugar: 00000001-A.MMM"), qPrintable(log));
        QVERIFY(!QFile::exists(tmp + "zelta-servidor-AbC123"));
        QVERIFY(!QFile::exists(decl + "zelta-servidor-00000002-B.MMM"));
        QCOMPARE(Conteudo(decl + "00000001-A.MMM"), QByteArray("um"));
        for (const auto &c : do_usuario)
            QCOMPARE(Conteudo(c), QByteArray("do usuário"));
        QCOMPARE(Conteudo(tmp + "zelta-servidor-pasta/dentro"), QByteArray("do usuário"));
        QVERIFY(QFileInfo(tmp + "zelta-servidor-link").isSymLink());
        QCOMPARE(Conteudo(fora.filePath("alvo")), QByteArray("do usuário"));

        // Codes go on after the completed one.
        Registro r(pasta.toStdString());
        QCOMPARE(r.Registrar(*Temporario(r, "dois"), "r2", "D.MMM", '1', 1700000000).codigo, 2L);
        QCOMPARE(Conteudo(decl + "00000002-D.MMM"), QByteArray("dois"));
    }

    // A tmp/ that is a link to another folder is not swept at all.
    void tmp_ligado_a_outra_pasta_nao_e_varrido()
    {
        QTemporaryDir dir, fora;
        const QString pasta = dir.filePath("dados");
        QVERIFY(QDir().mkpath(pasta));
        QVERIFY(QFile::link(fora.path(), pasta + "/tmp"));
        Escrever(fora.filePath("zelta-servidor-AbC123"), "do usuário");
        Escrever(fora.filePath("outro"), "do usuário");
        const QString log = Log_De_Um_Inicio(pasta);
        QVERIFY2(log.contains("não foi varrida: é um link"), qPrintable(log));
        QCOMPARE(Conteudo(fora.filePath("zelta-servidor-AbC123")), QByteArray("do usuário"));
        QCOMPARE(Conteudo(fora.filePath("outro")), QByteArray("do usuário"));
    }

    // A second server on the folder refuses to start, naming the first, and leaves the
    // first one's upload in progress alone; once the first stops, the folder is free again.
    void segundo_servidor_na_mesma_pasta_recusa()
    {
        QTemporaryDir dir;
        const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 85, "trava")}});
        QCOMPARE(Total_Blocos(a), 3);
        {
            Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
            Cliente_Teste c(s.porta);
            QVERIFY(c.Enviar(Bloco(a, "A.MMM", '1', 1, 3)));
            QCOMPARE(c.Ler(2), std::string("OK"));

            QProcess segundo;
            segundo.start(Executavel(), {"--porta", "0", "--dados", dir.path()});
            QVERIFY(segundo.waitForFinished(10000));
            QCOMPARE(segundo.exitCode(), 1);
            const QString erro = QString::fromUtf8(segundo.readAllStandardError());
            QVERIFY2(erro.contains("já está em uso por outro zelta-servidor (processo " +
                                   QString::number(::getpid()) + ")"),
                     qPrintable(erro));
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, Registro(dir.path().toStdString()));

            for (int i = 2; i <= 3; ++i)
                QVERIFY(c.Enviar(Bloco(a, "A.MMM", '1', i, 3)) && (i == 3 || c.Ler(2) == "OK"));
            QCOMPARE(c.Ler(23, 8000).substr(0, 9), std::string("000000001"));
        }
        Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
        QCOMPARE(Entregar(s.porta, a).substr(0, 1), std::string("7"));
    }
};

QTEST_GUILESS_MAIN(TstServidorPasta)
#include "tst_servidor_pasta.moc"
