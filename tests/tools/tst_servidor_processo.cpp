// The server executable under exhausted resources: no descriptors left for new connections,
// and a log that would grow without end.
#include "tests/tools/Cliente_Teste.h"
#include "tests/tools/Processo_Servidor.h"

#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

namespace {

void Pausa(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

QString Ler(const QString &caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TstServidorProcesso : public QObject {
    Q_OBJECT
private slots:
    // With every descriptor taken, the connections waiting to be accepted do not make the
    // server spin; once clients leave, it serves again.
    void descritores_esgotados_sem_girar_e_recupera()
    {
#ifdef __SANITIZE_ADDRESS__
        // The sanitizers read memory through a pipe: with no descriptor left they report
        // objects that are sound as broken.
        QSKIP("sem descritores, os sanitizadores acusam falhas que não existem");
#endif
        QTemporaryDir dir;
        const QString log = dir.filePath("log");
        Processo_Servidor s({"--dados", dir.filePath("dados").toStdString()}, log.toStdString(), 32);
        std::vector<std::unique_ptr<Cliente_Teste>> clientes;
        for (int i = 0; i < 40; ++i)
            clientes.push_back(std::make_unique<Cliente_Teste>(s.porta));
        Pausa(300);
        const double antes = s.Cpu_Segundos();
        Pausa(1500);
        const double gasto = s.Cpu_Segundos() - antes;
        QVERIFY2(gasto < 0.3, qPrintable(QString::number(gasto) + " s de CPU em 1,5 s"));
        clientes.clear();
        const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 40, "recupera")}});
        std::string r;
        for (int i = 0; i < 20 && r.size() != 23; ++i, Pausa(100)) // the backlog drains first
            r = Entregar(s.porta, a);
        QCOMPARE(r.substr(0, 9), std::string("000000001"));
        const QString texto = Ler(log);
        // The backlog draining may run it out once more; every pause ends with accepting again.
        const qsizetype pausas = texto.count("não foi possível aceitar conexões");
        QVERIFY2(pausas >= 1 && texto.count("conexões aceitas de novo") == pausas, qPrintable(texto));
    }

    // A log file stays under its bound however many lines come, and says it started again.
    void log_tem_tamanho_limitado()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath("log");
        Processo_Servidor s({"--dados", dir.filePath("dados").toStdString(), "--log-maximo", "2"}, log.toStdString());
        for (int i = 0; i < 60; ++i) { // each one a line: a header of control bytes
            Cliente_Teste c(s.porta);
            c.Enviar(std::string(23, '\x01'));
            c.Fim(2000);
        }
        QVERIFY(QFileInfo(log).size() <= 2048);
        const QString texto = Ler(log);
        QVERIFY2(texto.startsWith("zelta-servidor: log recomeçado"), qPrintable(texto));
        QVERIFY(texto.contains("conexão descartada"));
        QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", Declaracao_Teste("082024", 5, "log")}})).substr(0, 1),
                 std::string("0"));
    }
};

QTEST_GUILESS_MAIN(TstServidorProcesso)
#include "tst_servidor_processo.moc"
