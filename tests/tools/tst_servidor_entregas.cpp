// Whole deliveries to the reception server through real sockets on loopback.
#include "tests/tools/Cliente_Teste.h"

#include <QtTest>

#include <set>

namespace {

// A stored archive of exactly `tamanho` bytes holding one declaration of `mmaaaa`.
std::pair<std::string, std::string> Arquivo_De(size_t tamanho, const std::string &marca,
                                               const std::string &mmaaaa = "082024")
{
    std::string d = Declaracao_Teste(mmaaaa, 0, marca);
    const size_t extra = Zip_Com({{"A.MMM", d}}).size() - d.size();
    d += std::string(tamanho - extra - d.size(), 'Z');
    return {Zip_Com({{"A.MMM", d}}), d};
}

std::string Ler_Arquivo(const std::string &caminho)
{
    QFile f(QString::fromStdString(caminho));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(ausente)");
}

std::string Caminho_Guardado(const QTemporaryDir &dir, const std::string &resposta, const std::string &nome)
{
    return dir.path().toStdString() + "/declaracoes/" + resposta.substr(1, 8) + "-" + nome;
}

} // namespace

class TstServidorEntregas : public QObject {
    Q_OBJECT
private slots:
    void entregas_de_um_ate_treze_blocos()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
        // 1 block; 2 blocks with a 1-byte last block; a last block of exactly 1000; 13 blocks.
        const size_t tamanhos[] = {700, 1001, 2000, 12500};
        const int blocos[] = {1, 2, 2, 13};
        for (int i = 0; i < 4; ++i) {
            auto [arquivo, declaracao] = Arquivo_De(tamanhos[i], std::to_string(i));
            QCOMPARE(arquivo.size(), tamanhos[i]);
            QCOMPARE(Total_Blocos(arquivo), blocos[i]);
            const QDateTime antes = QDateTime::currentDateTime();
            const std::string r = Entregar(s.porta, arquivo, "ABC.MMM");
            const QDateTime depois = QDateTime::currentDateTime();
            QCOMPARE(r.size(), size_t(23));
            QCOMPARE(r.substr(0, 9), "0" + QString::asprintf("%08d", i + 1).toStdString());
            const std::string quando = r.substr(9);
            const QDateTime recebido = QDateTime::fromString(QString::fromStdString(quando), "ddMMyyyyHHmmss");
            QVERIFY2(recebido >= antes.addMSecs(-antes.time().msec()) && recebido <= depois, quando.c_str());
            QCOMPARE(Ler_Arquivo(Caminho_Guardado(dir, r, "ABC.MMM")), declaracao);
        }
        // A deflated archive is unpacked the same way.
        const std::string d = Declaracao_Teste("082024", 400, "deflate");
        const std::string r = Entregar(s.porta, Zip_Com({{"B.MMM", d}}, true), "B.MMM", '2');
        QCOMPARE(r.substr(0, 9), std::string("000000005"));
        QCOMPARE(Ler_Arquivo(Caminho_Guardado(dir, r, "B.MMM")), d);
    }

    void mesma_declaracao_responde_7_tambem_apos_reinicio()
    {
        QTemporaryDir dir;
        const auto [arquivo, declaracao] = Arquivo_De(3500, "repetida");
        std::string primeira;
        {
            Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
            primeira = Entregar(s.porta, arquivo);
            QCOMPARE(primeira.substr(0, 9), std::string("000000001"));
            QCOMPARE(Entregar(s.porta, arquivo), "7" + primeira.substr(1));
        }
        Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
        QCOMPARE(Entregar(s.porta, arquivo), "7" + primeira.substr(1));
        // The same declaration packed another way is the same delivery.
        QCOMPARE(Entregar(s.porta, Zip_Com({{"OUTRO.MMM", declaracao}}, true), "OUTRO.MMM"), "7" + primeira.substr(1));
        // A new one takes the next code from the stored counter.
        QCOMPARE(Entregar(s.porta, Arquivo_De(900, "nova").first).substr(0, 9), std::string("000000002"));
    }

    void competencia_recusada()
    {
        QTemporaryDir dir;
        auto o = Opcoes_Teste(dir.path().toStdString());
        o.competencia.aceita = "082024";
        {
            Servidor_Teste s(o);
            QCOMPARE(Entregar(s.porta, Arquivo_De(1500, "a", "072024").first), std::string("5082024"));
            QCOMPARE(Entregar(s.porta, Arquivo_De(1500, "b", "082024").first).substr(0, 1), std::string("0"));
            QCOMPARE(Entregar(s.porta, Arquivo_De(1500, "c", "072024").first, "C.MMM", '2').substr(0, 1),
                     std::string("0"));
        }
        o.competencia.anterior_como_acerto = true;
        Servidor_Teste s(o);
        QCOMPARE(Entregar(s.porta, Arquivo_De(1500, "d", "072024").first), std::string("6082024"));
        QCOMPARE(Entregar(s.porta, Arquivo_De(1500, "e", "092024").first), std::string("5082024"));
        // Nothing refused was kept.
        QCOMPARE(QDir(dir.filePath("declaracoes")).entryList(QDir::Files).size(), 2);
    }

    void arquivo_que_nao_descompacta_responde_8()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
        // No closing record: the last block ends after the quiet second.
        QCOMPARE(Entregar(s.porta, std::string(1500, 'P')), std::string("8"));
        const std::string d = Declaracao_Teste("082024", 100, "dois");
        QCOMPARE(Entregar(s.porta, Zip_Com({{"A.MMM", d}, {"B.MMM", d}})), std::string("8"));
        std::string danificado = Zip_Com({{"A.MMM", d}});
        danificado[danificado.find("MOVIMENTO")] ^= 0x20;
        QCOMPARE(Entregar(s.porta, danificado), std::string("8"));
        QCOMPARE(Entregar(s.porta, Arquivo_De(1500, "boa").first).substr(0, 9), std::string("000000001"));
    }

    void varios_clientes_ao_mesmo_tempo()
    {
        QTemporaryDir dir;
        Servidor_Teste s(Opcoes_Teste(dir.path().toStdString()));
        constexpr int N = 8;
        std::vector<std::string> respostas(N);
        std::vector<std::thread> clientes;
        for (int i = 0; i < N; ++i)
            clientes.emplace_back([&, i] { respostas[i] = Entregar(s.porta, Arquivo_De(2500, "c" + std::to_string(i)).first); });
        for (auto &t : clientes)
            t.join();
        std::set<std::string> codigos;
        for (const auto &r : respostas) {
            QCOMPARE(r.size(), size_t(23));
            QCOMPARE(r[0], '0');
            codigos.insert(r.substr(1, 8));
        }
        QCOMPARE(codigos.size(), size_t(N));
        QCOMPARE(*codigos.rbegin(), std::string("00000008"));
    }
};

QTEST_GUILESS_MAIN(TstServidorEntregas)
#include "tst_servidor_entregas.moc"
