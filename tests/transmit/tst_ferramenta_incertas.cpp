// zelta-transmitir and uncertain deliveries, run as a program with the real clock against the
// local reception server: its exit status 5, a kill after the last block, and --verificar
// settling what the folder's ledger holds as uncertain.
#include "Pasta_Entregas.h"

#include "engine/history/Historico.h"
#include "engine/ledger/Razao_Entregas.h"
#include "tests/common/Declaracao_Teste.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <optional>

namespace {
QString Programa()
{
    return qEnvironmentVariable("ZELTA_BUILD_DIR") + "/tools/transmitir/zelta-transmitir";
}

QStringList Argumentos(uint16_t porta, QStringList mais)
{
    return QStringList{"--sim", "--servidor", "127.0.0.1", "--porta", QString::number(porta)} + mais;
}

struct Execucao {
    int status = -1;
    QString saida;
};

Execucao Rodar(const QStringList &argumentos)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(Programa(), argumentos);
    Execucao e;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return e;
    }
    e.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    e.saida = QString::fromLocal8Bit(p.readAll());
    return e;
}

std::vector<Tentativa_Razao> Todas()
{
    return Razao_Entregas(Caminho_Razao(Historico_Transmissoes)).Todas();
}

servidor::Opcoes Calado()
{
    servidor::Opcoes o;
    o.sem_resposta = true;
    return o;
}
} // namespace

class TstFerramentaIncertas : public QObject {
    Q_OBJECT

    Pasta_Entregas pasta_;

private slots:
    void init() { pasta_.Entrar(); }
    void cleanup() { pasta_.Sair(); }

    void linha_de_comando()
    {
        const Execucao ajuda = Rodar({"--help"});
        QVERIFY(ajuda.saida.contains("--verificar"));
        QVERIFY(ajuda.saida.contains("\n  5  algum arquivo ficou incerto"));
        Gravar_Declaracao("A.MOV");
        QCOMPARE(Rodar({"--sim", "--verificar", "A.MOV"}).status, 2);
        const Execucao nada = Rodar({"--sim", "--verificar", "--porta", "1"});
        QCOMPARE(nada.status, 0);
        QCOMPARE(nada.saida, QString("Nenhuma entrega incerta.\n"));
    }

    // The server keeps the file and never answers; the tool gives up at once (--espera 0).
    void servidor_calado_sai_com_5_e_verificar_recupera_o_recibo()
    {
        Gravar_Declaracao("A.MOV");
        {
            const Servidor_Teste calado(pasta_.Servidor(Calado()));
            const Execucao e = Rodar(Argumentos(calado.porta, {"--espera", "0", "A.MOV"}));
            QCOMPARE(e.status, 5);
            QVERIFY2(e.saida.contains("Incerto, verificar (mensagem 06)"), qPrintable(e.saida));
        }
        const Servidor_Teste normal(pasta_.Servidor());
        const Execucao v = Rodar(Argumentos(normal.porta, {"--verificar"}));
        QVERIFY2(v.status == 0, qPrintable(v.saida));
        QVERIFY2(v.saida.contains("Já transmitido, código "), qPrintable(v.saida));
        QCOMPARE(Ler_Historico().total, 1);
        QCOMPARE(Rodar(Argumentos(normal.porta, {"--verificar"})).saida,
                 QString("Nenhuma entrega incerta.\n"));
    }

    // Killed while it waits for the reply to its last block: the attempt has no outcome and reads
    // as uncertain; --verificar finds the file received.
    void morto_depois_do_ultimo_bloco()
    {
        Gravar_Declaracao("A.MOV");
        {
            const Servidor_Teste calado(pasta_.Servidor(Calado()));
            QProcess p;
            p.start(Programa(), Argumentos(calado.porta, {"A.MOV"}));
            QVERIFY(p.waitForStarted(10000));
            const QDeadlineTimer prazo(60000);
            bool marcado = false;
            while (!marcado && !prazo.hasExpired() && p.state() == QProcess::Running) {
                QThread::msleep(50);
                if (QFile::exists(Arquivo_Razao)) {
                    const std::vector<Tentativa_Razao> t = Todas();
                    marcado = !t.empty() && t[0].ultimo_bloco;
                }
            }
            QVERIFY2(marcado, "the last block was not marked within 60 s");
            QThread::msleep(1000); // the block is on the wire; the tool pauses 3 s before it reads
            QCOMPARE(p.state(), QProcess::Running);
            p.kill(); // SIGKILL
            QVERIFY(p.waitForFinished(10000));
        }
        const std::vector<Tentativa_Razao> todas = Todas();
        QCOMPARE(todas.size(), size_t(1));
        QCOMPARE(todas[0].resultado, Resultado_Razao::Sem_Resultado);
        QCOMPARE(Estado_Efetivo(todas[0]), Resultado_Razao::Incerta);
        QVERIFY(!Historico_Existe());

        const Servidor_Teste normal(pasta_.Servidor());
        const Execucao v = Rodar(Argumentos(normal.porta, {"--verificar"}));
        QVERIFY2(v.status == 0 && v.saida.contains("Já transmitido, código "), qPrintable(v.saida));
        QCOMPARE(Ler_Historico().total, 1);
        QCOMPARE(Todas().back().resultado, Resultado_Razao::Ja_Entregue);
    }
};

QTEST_GUILESS_MAIN(TstFerramentaIncertas)
#include "tst_ferramenta_incertas.moc"
