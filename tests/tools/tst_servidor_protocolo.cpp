// The reception server's protocol pieces, without sockets.
#include "tests/tools/Cliente_Teste.h"
#include "tools/servidor/Declaracao.h"
#include "tools/servidor/Opcoes.h"
#include "tools/servidor/Protocolo.h"
#include "tools/servidor/Registro.h"

#include <QtTest>

using namespace servidor;

class TstServidorProtocolo : public QObject {
    Q_OBJECT
private slots:
    void cabecalho_do_bloco()
    {
        std::string erro;
        auto c = Ler_Cabecalho("1     ABC.MMM0000200005resto", erro);
        QVERIFY(c);
        QCOMPARE(c->tipo, '1');
        QCOMPARE(c->nome, std::string("ABC.MMM"));
        QCOMPARE(c->bloco, 2);
        QCOMPARE(c->total, 5);
        QCOMPARE(Montar_Cabecalho(*c), std::string("1     ABC.MMM0000200005"));
        QVERIFY(Ler_Cabecalho("2ABCDEFGH.MMM3276732767", erro));

        const char *ruins[] = {
            "1     ABC.MMM000020000",  // short
            "3     ABC.MMM0000200005", // unknown type
            "1            0000100001", // no name
            "1  AB C.MMM 0000100001",  // blank inside the name
            "1     ABC.MMM00x0200005", // not digits
            "1     ABC.MMM-000100005",
            "1     ABC.MMM0000000005", // block 0
            "1     ABC.MMM0000600005", // beyond the total
            "1     ABC.MMM0000132768", // over the 16-bit count
        };
        for (const char *r : ruins) {
            erro.clear();
            QVERIFY2(!Ler_Cabecalho(r, erro), r);
            QVERIFY(!erro.empty());
        }
    }

    void montagem_em_ordem()
    {
        Montagem m;
        std::string erro;
        QVERIFY(!m.Aceitar({'1', "A.MMM", 2, 3}, erro)); // must start at block 1
        QVERIFY(m.Aceitar({'1', "A.MMM", 1, 3}, erro));
        QVERIFY(!m.Aceitar({'1', "A.MMM", 3, 3}, erro)); // skips one
        QVERIFY(!m.Aceitar({'1', "B.MMM", 2, 3}, erro)); // another file
        QVERIFY(!m.Aceitar({'1', "A.MMM", 2, 4}, erro)); // another total
        QVERIFY(!m.Aceitar({'2', "A.MMM", 2, 3}, erro)); // another type
        QVERIFY(m.Aceitar({'1', "A.MMM", 2, 3}, erro));
        QVERIFY(!m.Ultimo());
        QVERIFY(m.Aceitar({'1', "A.MMM", 3, 3}, erro));
        QVERIFY(m.Ultimo());
    }

    void fim_do_arquivo_zip()
    {
        const std::string a = Zip_Com({{"A.MMM", Declaracao_Teste("082024", 300, "x")}}, true);
        QVERIFY(Zip_Completo(a));
        for (size_t n = 0; n < a.size(); n += 97)
            QVERIFY(!Zip_Completo(std::string_view(a).substr(0, n)));
        QVERIFY(!Zip_Completo(std::string_view(a).substr(0, a.size() - 1)));
        QVERIFY(!Zip_Completo(a + "x"));
        // A record with a comment ends after the comment.
        std::string comentado = a;
        comentado[comentado.size() - 2] = 3;
        QVERIFY(!Zip_Completo(comentado));
        QVERIFY(Zip_Completo(comentado + "abc"));
        QVERIFY(!Zip_Completo(std::string(5000, 'P')));
    }

    void desempacotar()
    {
        const std::string d = Declaracao_Teste("082024", 50, "y");
        std::string erro;
        QCOMPARE(Desempacotar(Zip_Com({{"A.MMM", d}}, true), erro).value_or(""), d);
        QVERIFY(!Desempacotar(Zip_Com({{"A.MMM", d}, {"B.MMM", d}}), erro));
        QVERIFY(!Desempacotar("isto não é um zip", erro));
        QVERIFY(!erro.empty());
        QVERIFY(!Desempacotar(Zip_Com({{"A.MMM", d}}, true), erro, d.size() - 1)); // over the limit
        // Damaged data inside an archive whose directory is intact.
        std::string a = Zip_Com({{"A.MMM", d}});
        a[a.find("MOVIMENTO")] ^= 0x20;
        QVERIFY(Zip_Completo(a));
        QVERIFY(!Desempacotar(a, erro));
    }

    void competencia()
    {
        QCOMPARE(Competencia_Declaracao(Declaracao_Teste("082024", 1, "")), std::string("082024"));
        QCOMPARE(Competencia_Declaracao("1123456780820"), std::string());
        QCOMPARE(Competencia_Declaracao("112345678132024xx"), std::string()); // month 13

        const std::string ago = Declaracao_Teste("082024", 1, ""), jul = Declaracao_Teste("072024", 1, ""),
                          set = Declaracao_Teste("092024", 1, ""), dez_antes = Declaracao_Teste("122023", 1, "");
        Politica_Competencia todas;
        QCOMPARE(Julgar_Competencia(todas, '1', jul), std::string());
        QCOMPARE(Julgar_Competencia(todas, '1', "curta"), std::string());

        Politica_Competencia p{"082024", false};
        QCOMPARE(Julgar_Competencia(p, '1', ago), std::string());
        QCOMPARE(Julgar_Competencia(p, '1', jul), std::string("5082024"));
        QCOMPARE(Julgar_Competencia(p, '1', set), std::string("5082024"));
        QCOMPARE(Julgar_Competencia(p, '1', "curta"), std::string("5082024"));
        QCOMPARE(Julgar_Competencia(p, '2', dez_antes), std::string()); // adjustment of an older month
        QCOMPARE(Julgar_Competencia(p, '2', set), std::string("5082024"));

        p.anterior_como_acerto = true;
        QCOMPARE(Julgar_Competencia(p, '1', dez_antes), std::string("6082024")); // compares year first
        QCOMPARE(Julgar_Competencia(p, '1', set), std::string("5082024"));
    }

    void opcoes()
    {
        std::string erro;
        auto o = Ler_Opcoes({"--porta", "0", "--dados", "/tmp/x", "--competencia", "082024",
                             "--competencia-anterior", "--resposta-partida", "250", "--reset-apos", "3"}, erro);
        QVERIFY(o);
        QCOMPARE(o->porta, uint16_t(0));
        QCOMPARE(o->dados, std::string("/tmp/x"));
        QCOMPARE(o->competencia.aceita, std::string("082024"));
        QVERIFY(o->competencia.anterior_como_acerto);
        QCOMPARE(o->resposta_partida_ms, 250);
        QCOMPARE(o->reset_apos, 3);
        auto padrao = Ler_Opcoes({}, erro);
        QCOMPARE(padrao->porta, uint16_t(2500));
        QCOMPARE(padrao->dados, std::string("./zelta-servidor-dados"));
        QVERIFY(padrao->competencia.aceita.empty());
        for (auto ruim : std::vector<std::vector<std::string>>{
                 {"--porta", "70000"}, {"--porta"}, {"--competencia", "132024"}, {"--reset-apos", "x"},
                 {"--nada"}}) {
            erro.clear();
            QVERIFY(!Ler_Opcoes(ruim, erro));
            QVERIFY(!erro.empty());
        }
    }

    void registro_sobrevive_e_guarda_o_arquivo()
    {
        QTemporaryDir dir;
        const std::string pasta = dir.filePath("dados").toStdString();
        const std::string d1 = Declaracao_Teste("082024", 3, "1"), d2 = Declaracao_Teste("082024", 3, "2");
        Entrega e1;
        {
            Registro r(pasta);
            QVERIFY(!r.Procurar(d1));
            e1 = r.Registrar(d1, "../../X.MMM", '1', 1700000000);
            QCOMPARE(e1.codigo, 1L);
            QVERIFY(!e1.repetida);
            // The client's name never leaves the folder.
            const std::string caminho = r.Caminho_Declaracao(1, "../../X.MMM");
            QCOMPARE(QFileInfo(QString::fromStdString(caminho)).absolutePath(),
                     QDir(QString::fromStdString(pasta + "/declaracoes")).absolutePath());
            QFile f(QString::fromStdString(caminho));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll().toStdString(), d1);
        }
        Registro r(pasta);
        auto antes = r.Procurar(d1);
        QVERIFY(antes && antes->repetida);
        QCOMPARE(antes->codigo, 1L);
        QCOMPARE(antes->data_hora, e1.data_hora);
        QCOMPARE(r.Registrar(d1, "X.MMM", '1', 1800000000).codigo, 1L);
        QCOMPARE(r.Registrar(d2, "X.MMM", '1', 1800000000).codigo, 2L); // the counter goes on
    }
};

QTEST_GUILESS_MAIN(TstServidorProtocolo)
#include "tst_servidor_protocolo.moc"
