// The reception server's misbehaviour settings, and bad input that must leave it serving.
#include "tests/tools/Cliente_Teste.h"

#include <QtTest>

#include <chrono>
#include <sys/socket.h>

namespace {

using Relogio = std::chrono::steady_clock;

long Ms_Desde(Relogio::time_point t)
{
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Relogio::now() - t).count());
}

const std::string &Arquivo_Tres_Blocos()
{
    static const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 85, "tres")}});
    return a;
}

// Sends blocks 1..n of the three-block archive, reading the "OK" after each but the last sent.
void Enviar_Blocos(Cliente_Teste &c, int n)
{
    const std::string &a = Arquivo_Tres_Blocos();
    for (int i = 1; i <= n; ++i) {
        QVERIFY(c.Enviar(Bloco(a, "A.MMM", '1', i, Total_Blocos(a))));
        if (i < n)
            QCOMPARE(c.Ler(2), std::string("OK"));
    }
}

} // namespace

class TstServidorRobustez : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(Total_Blocos(Arquivo_Tres_Blocos()), 3); }

    void resposta_fixa()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        o.resposta_fixa = "9";
        Servidor_Teste s(o);
        QCOMPARE(Entregar(s.porta, Arquivo_Tres_Blocos()), std::string("9"));
    }

    void sem_resposta()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        o.sem_resposta = true;
        o.tempo_ocioso_ms = 300;
        Servidor_Teste s(o);
        Cliente_Teste c(s.porta);
        Enviar_Blocos(c, 3);
        QCOMPARE(c.Ler(23, 1500), std::string());
        QCOMPARE(c.Fim(0), -1); // still open, longer than the idle time: the client decides
    }

    void resposta_partida()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        o.resposta_partida_ms = 600;
        Servidor_Teste s(o);
        Cliente_Teste c(s.porta);
        Enviar_Blocos(c, 3);
        const std::string primeira = c.Ler(23, 5000, 200);
        const auto t = Relogio::now();
        const std::string segunda = c.Ler(23, 5000, 200);
        QVERIFY(Ms_Desde(t) >= 300);
        QCOMPARE(primeira.size(), size_t(11));
        QCOMPARE(primeira + segunda, "0" + std::string("00000001") + (primeira + segunda).substr(9));
        QCOMPARE((primeira + segunda).size(), size_t(23));
    }

    void reset_e_fechamento_apos_um_bloco()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        o.reset_apos = 2;
        {
            Servidor_Teste s(o);
            Cliente_Teste c(s.porta);
            Enviar_Blocos(c, 2); // block 1 answered, then the reset
            QCOMPARE(c.Fim(), ECONNRESET);
        }
        o.reset_apos = 0;
        o.fechar_apos = 1;
        Servidor_Teste s(o);
        Cliente_Teste c(s.porta);
        Enviar_Blocos(c, 1);
        QCOMPARE(c.Fim(), 0);
    }

    void aceite_lento()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        o.aceite_lento_ms = 500;
        Servidor_Teste s(o);
        const auto t = Relogio::now();
        Cliente_Teste c(s.porta);
        QVERIFY(c.Enviar(Bloco(Arquivo_Tres_Blocos(), "A.MMM", '1', 1, 3)));
        QCOMPARE(c.Ler(2), std::string("OK"));
        QVERIFY(Ms_Desde(t) >= 450);
    }

    void entrada_ruim_e_descartada_e_o_servidor_continua()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        o.tempo_ocioso_ms = 400;
        Servidor_Teste s(o);
        const std::string &a = Arquivo_Tres_Blocos();
        const std::string corpo = a.substr(0, 1000);
        const std::vector<std::pair<const char *, std::string>> casos = {
            {"cabeçalho curto", "1       A.MMM00"},
            {"números não numéricos", "1       A.MMM0000x00003" + corpo},
            {"começa fora de ordem", "1       A.MMM0000200003" + corpo},
            {"total acima de 32767", "1       A.MMM0000140000" + corpo},
            {"total zero", "1       A.MMM0000100000" + corpo},
            {"tipo desconhecido", "X       A.MMM0000100003" + corpo},
            {"bloco pulado", Bloco(a, "A.MMM", '1', 1, 3) + Bloco(a, "A.MMM", '1', 3, 3)},
            {"bloco incompleto", Bloco(a, "A.MMM", '1', 1, 3).substr(0, 500)},
        };
        for (const auto &[nome, bytes] : casos) {
            Cliente_Teste c(s.porta);
            c.Enviar(bytes);
            int fim = -1;
            for (int i = 0; i < 4 && fim == -1; ++i) { // an "OK" may come before the drop
                fim = c.Fim(1500);
            }
            QVERIFY2(fim != -1, nome);
            QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", Declaracao_Teste("082024", 5, nome)}})).substr(0, 1),
                     std::string("0"));
        }
    }

    void lixo_em_quantidade()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
        {
            Cliente_Teste c(s.porta);
            const std::string mega(1 << 20, '\xA5');
            int enviados = 0;
            for (int i = 0; i < 30 && c.Enviar(mega); ++i) // the server drops us after 23 bytes
                ++enviados;
            QVERIFY(enviados < 30);
        }
        QCOMPARE(Entregar(s.porta, Arquivo_Tres_Blocos()).substr(0, 1), std::string("0"));
    }
};

QTEST_GUILESS_MAIN(TstServidorRobustez)
#include "tst_servidor_robustez.moc"
