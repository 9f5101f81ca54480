// The reception server's limits: deadlines for headers, blocks and connections, room for new
// clients when full, the last block in pieces, and the data folder's quota.
#include "tests/tools/Cliente_Teste.h"

#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

namespace {

void Pausa(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

const std::string &Arquivo_Quatro_Blocos()
{
    static const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 110, "quatro")}});
    return a;
}

// Sends the archive's blocks first..last, reading the "OK" after each intermediate one.
bool Enviar_Blocos(Cliente_Teste &c, const std::string &a, int primeiro, int ultimo, int pausa_ms = 0,
                   const std::string &nome = "A.MMM")
{
    const int total = Total_Blocos(a);
    for (int i = primeiro; i <= ultimo; ++i) {
        if (i > primeiro)
            Pausa(pausa_ms);
        if (!c.Enviar(Bloco(a, nome, '1', i, total)))
            return false;
        if (i < total && c.Ler(2) != "OK")
            return false;
    }
    return true;
}

// Bytes one at a time, `ms` apart, until the server ends the connection; how many went.
size_t Gotejar(Cliente_Teste &c, const std::string &bytes, int ms)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (c.Fim(ms) != -1 || !c.Enviar(bytes.substr(i, 1)))
            return i;
    }
    return bytes.size();
}

servidor::Opcoes Opcoes_Com(const QTemporaryDir &dir, int ocioso_ms)
{
    auto o = Opcoes_Teste(dir.path().toStdString());
    o.tempo_ocioso_ms = ocioso_ms;
    return o;
}

} // namespace

class TstServidorLimites : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(Total_Blocos(Arquivo_Quatro_Blocos()), 4); }

    // Each header and each block has its time from its start; a byte now and then does not
    // buy more.
    void cabecalho_e_bloco_a_conta_gotas_sao_descartados()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Com(dir, 600));
        const std::string bloco = Bloco(Arquivo_Quatro_Blocos(), "A.MMM", '1', 1, 4);
        {
            Cliente_Teste c(s.porta);
            QVERIFY(Gotejar(c, bloco.substr(0, 23), 150) < 23);
        }
        {
            Cliente_Teste c(s.porta);
            QVERIFY(c.Enviar(bloco.substr(0, 23)));
            QVERIFY(Gotejar(c, bloco.substr(23), 150) < 1000);
        }
        {
            Cliente_Teste c(s.porta); // the next header too, after an answered block
            QVERIFY(Enviar_Blocos(c, Arquivo_Quatro_Blocos(), 1, 1));
            QVERIFY(Gotejar(c, Bloco(Arquivo_Quatro_Blocos(), "A.MMM", '1', 2, 4), 150) < 23);
        }
        QCOMPARE(Entregar(s.porta, Arquivo_Quatro_Blocos()).substr(0, 1), std::string("0"));
    }

    // A client that pauses between blocks (as the real one does, for seconds) is served for
    // as long as each block comes within its time, however long the whole upload takes.
    void cliente_que_pausa_entre_os_blocos_e_atendido()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Com(dir, 800));
        Cliente_Teste c(s.porta);
        QVERIFY(Enviar_Blocos(c, Arquivo_Quatro_Blocos(), 1, 4, 500));
        QCOMPARE(c.Ler(23, 5000).substr(0, 9), std::string("000000001"));
    }

    void conexao_tem_duracao_maxima()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Com(dir, 5000);
        o.tempo_conexao_ms = 900;
        Servidor_Teste s(o);
        Cliente_Teste c(s.porta);
        QVERIFY(Enviar_Blocos(c, Arquivo_Quatro_Blocos(), 1, 2, 400));
        QCOMPARE(c.Fim(4000), 0);
    }

    // A valid archive whose last block comes in two pieces, longer apart than the quiet time:
    // its records announce the missing bytes, so the server waits for them.
    void ultimo_bloco_em_dois_pedacos()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Com(dir, 5000));
        const std::string um_bloco = Zip_Com({{"B.MMM", Declaracao_Teste("082024", 20, "um")}});
        QCOMPARE(Total_Blocos(um_bloco), 1);
        for (const std::string &a : {um_bloco, Arquivo_Quatro_Blocos()}) {
            const int total = Total_Blocos(a);
            const std::string ultimo = Bloco(a, "A.MMM", '1', total, total);
            for (size_t corte : {size_t(23 + 40), ultimo.size() - 5}) {
                Cliente_Teste d(s.porta);
                QVERIFY(Enviar_Blocos(d, a, 1, total - 1));
                QVERIFY(d.Enviar(ultimo.substr(0, corte)));
                Pausa(1500);
                QVERIFY(d.Enviar(ultimo.substr(corte)));
                const std::string r = d.Ler(23, 8000);
                QVERIFY2(r.size() == 23 && (r[0] == '0' || r[0] == '7'), r.c_str());
            }
        }
    }

    // When every slot is taken, a new client takes the place of the oldest connection that
    // never completed a header, or else of one silent past the client's pause.
    void lotado_da_lugar_ao_cliente_novo()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Com(dir, 20000);
        o.maximo_clientes = 3;
        o.pausa_cliente_ms = 400;
        Servidor_Teste s(o);
        {
            Cliente_Teste a(s.porta), b(s.porta), c(s.porta);
            Pausa(200);
            QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", Declaracao_Teste("082024", 5, "x")}})).substr(0, 1),
                     std::string("0"));
            QCOMPARE(a.Fim(3000), 0);
            QCOMPARE(b.Fim(0), -1);
        }
        const std::string &arq = Arquivo_Quatro_Blocos();
        Cliente_Teste lenta(s.porta);
        QVERIFY(Enviar_Blocos(lenta, arq, 1, 1));
        Pausa(600);
        Cliente_Teste b(s.porta), c(s.porta);
        QVERIFY(Enviar_Blocos(b, arq, 1, 1));
        QVERIFY(Enviar_Blocos(c, arq, 1, 1));
        QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", Declaracao_Teste("082024", 5, "y")}})).substr(0, 1),
                 std::string("0"));
        QCOMPARE(lenta.Fim(3000), 0);
        QVERIFY(Enviar_Blocos(b, arq, 2, 4));
        QCOMPARE(b.Ler(23, 5000).substr(0, 1), std::string("0"));
        QVERIFY(Enviar_Blocos(c, arq, 2, 4));
        QCOMPARE(c.Ler(23, 5000).substr(0, 1), std::string("7"));
    }

    // Connections that sent blocks fast and then hold are the ones dropped for new clients,
    // never one that keeps pausing less than the client's pause; while every connection keeps
    // the pace, a new one waits for a slot.
    void lotado_nunca_descarta_quem_segue_as_pausas()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Com(dir, 5000);
        o.maximo_clientes = 4;
        o.pausa_cliente_ms = 1000;
        {
            Servidor_Teste s(o);
            const std::string lixo(100000, 'L');
            std::vector<std::unique_ptr<Cliente_Teste>> rapidos, novos;
            for (int i = 0; i < 3; ++i) {
                rapidos.push_back(std::make_unique<Cliente_Teste>(s.porta));
                QVERIFY(Enviar_Blocos(*rapidos.back(), lixo, 1, 5, 0, "L.MMM"));
            }
            std::string recibo;
            std::thread honesto([&] {
                Cliente_Teste h(s.porta);
                if (Enviar_Blocos(h, Arquivo_Quatro_Blocos(), 1, 4, 700))
                    recibo = h.Ler(23, 5000);
            });
            Pausa(1300); // the fast ones have been silent past the pause
            for (int i = 0; i < 3; ++i) {
                novos.push_back(std::make_unique<Cliente_Teste>(s.porta));
                QVERIFY(Enviar_Blocos(*novos.back(), lixo, 1, 1, 0, "N.MMM"));
            }
            honesto.join();
            QCOMPARE(recibo.substr(0, 9), std::string("000000001"));
            for (auto &r : rapidos)
                QCOMPARE(r->Fim(3000), 0);
        }
        o.maximo_clientes = 2;
        o.pausa_cliente_ms = 2500;
        Servidor_Teste s(o);
        Cliente_Teste a(s.porta), b(s.porta);
        QVERIFY(Enviar_Blocos(a, Arquivo_Quatro_Blocos(), 1, 1));
        QVERIFY(Enviar_Blocos(b, Arquivo_Quatro_Blocos(), 1, 1));
        Cliente_Teste c(s.porta);
        QVERIFY(c.Enviar(Bloco(Arquivo_Quatro_Blocos(), "A.MMM", '1', 1, 4)));
        QCOMPARE(c.Ler(2, 1500), std::string()); // waiting, not refused
        QVERIFY(Enviar_Blocos(a, Arquivo_Quatro_Blocos(), 2, 2)); // a keeps the pace
        QCOMPARE(c.Ler(2, 5000), std::string("OK")); // b fell behind and gave its slot
        QCOMPARE(b.Fim(1000), 0);
        QCOMPARE(a.Fim(0), -1);
    }

    // Over the data folder's quota, in the upload or in what it unpacks to, the reply is "8"
    // and nothing stays behind.
    void cota_da_pasta_de_dados()
    {
        QTemporaryDir dir;
        uint64_t inicial;
        {
            servidor::Registro r(dir.path().toStdString());
            inicial = r.Cota().Usado();
        }
        auto o = Opcoes_Com(dir, 3000);
        o.cota_envios = 40000;
        o.cota_dados = inicial + o.cota_envios + 60000;
        Servidor_Teste s(o);
        const std::string bomba = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 4000, "bomba")}}, true);
        QVERIFY(bomba.size() < 30000);
        QCOMPARE(Entregar(s.porta, bomba), std::string("8"));
        std::string grande = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 10, "grande") + std::string(70000, 'G')}});
        QCOMPARE(Entregar(s.porta, grande), std::string("8"));
        const std::string d = Declaracao_Teste("082024", 10, "cabe");
        QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", d}})).substr(0, 9), std::string("000000001"));
        QCOMPARE(QDir(dir.filePath("declaracoes")).entryList(QDir::Files).size(), 1);
        QCOMPARE(QDir(dir.filePath("tmp")).entryList(QDir::Files).size(), 0);
        // An archive of one folder entry is no declaration either.
        QCOMPARE(Entregar(s.porta, Zip_Com({{"PASTA/", ""}})), std::string("8"));
    }

    // Uploads in progress have their own share of the quota: holding it all does not stop a
    // delivery. A block that finds the share full drops the upload holding most, but only one
    // holding more than the asker: a big upload cannot push out smaller ones.
    void envios_em_curso_tem_cota_propria()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Com(dir, 5000);
        o.cota_dados = 1 << 20;
        o.cota_envios = 40000;
        Servidor_Teste s(o);
        const std::string lixo(100000, 'L'); // a 100-block archive that never completes
        Cliente_Teste h1(s.porta), h2(s.porta), h3(s.porta);
        QVERIFY(Enviar_Blocos(h1, lixo, 1, 14, 0, "L.MMM"));
        QVERIFY(Enviar_Blocos(h2, lixo, 1, 12, 0, "L.MMM"));
        QVERIFY(Enviar_Blocos(h3, lixo, 1, 12, 0, "L.MMM"));
        QCOMPARE(Entregar(s.porta, Arquivo_Quatro_Blocos()).substr(0, 9), std::string("000000001"));
        QCOMPARE(h1.Fim(3000), 0); // the biggest went
        QCOMPARE(h2.Fim(0), -1);
        // h2 grows until the share is full; then its blocks find no room, and h3 stays.
        QVERIFY(Enviar_Blocos(h2, lixo, 13, 40, 0, "L.MMM"));
        QCOMPARE(h3.Fim(0), -1);
        QCOMPARE(h2.Fim(0), -1);
        QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", Declaracao_Teste("082024", 5, "cabe")}})).substr(0, 9),
                 std::string("000000002"));
        QCOMPARE(h2.Fim(3000), 0); // now the biggest, it made room
    }

    // With the folder full, a declaration delivered before still gets its "7"; only a new one
    // gets "8".
    void repetida_com_a_pasta_cheia_responde_7()
    {
        QTemporaryDir dir;
        const std::string d = Declaracao_Teste("082024", 4000, "cheia"); // 200 KB, a few KB packed
        const std::string a = Zip_Com({{"A.MMM", d}}, true);
        std::string primeira;
        uint64_t usado;
        {
            Servidor_Teste s(Opcoes_Com(dir, 3000));
            primeira = Entregar(s.porta, a);
            QCOMPARE(primeira.substr(0, 9), std::string("000000001"));
        }
        {
            servidor::Registro r(dir.path().toStdString());
            usado = r.Cota().Usado();
        }
        auto o = Opcoes_Com(dir, 3000);
        o.cota_envios = 3 * a.size();
        o.cota_dados = usado + o.cota_envios; // room for uploads, none for another declaration
        Servidor_Teste s(o);
        QCOMPARE(Entregar(s.porta, Zip_Com({{"B.MMM", d}}, true), "B.MMM"), "7" + primeira.substr(1));
        QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", Declaracao_Teste("082024", 4000, "nova")}}, true)),
                 std::string("8"));
    }
};

QTEST_GUILESS_MAIN(TstServidorLimites)
#include "tst_servidor_limites.moc"
